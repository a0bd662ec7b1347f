// Uncompressed 24-bit BMP files, written into memory.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A width x height picture of 0x00RRGGBB pixels (rows top to bottom) as a
// complete BMP file: 54 bytes of headers, then the rows bottom-up, each pixel
// blue, green, red, each row padded with (width AND 3) bytes.
std::vector<uint8_t> EncodeBmp24(const uint32_t* pixels, int width, int height);

// Writes bytes to path, replacing any file there. On any failure nothing
// stays behind and the result is false.
bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes);

// -1 when nothing of that name exists, -2 for a directory, else the size.
int64_t FileSize(const std::string& path);
