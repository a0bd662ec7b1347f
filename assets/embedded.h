// The files of assets/, carried inside the program.
#pragma once

#include <cstddef>

struct EmbeddedFile {
  const char* name;           // file name in assets/, e.g. "atlas.bmp"
  const unsigned char* data;
  size_t size;
};

// The embedded file of that name, or null.
const EmbeddedFile* FindEmbeddedFile(const char* name);
