// Reading a whole small file safely: only a regular file is read, never a
// folder, a device or a pipe of that name, and never more than a limit.
#pragma once

#include <cstddef>
#include <string>

enum class ReadResult { Read, Missing, Failed };

// Reads the regular file at path into text. Missing: nothing of that name
// exists. Failed: error says why (a folder, not a regular file, too large,
// no permission, a read error).
ReadResult ReadRegularFile(const std::string& path, size_t maxBytes, std::string* text, std::string* error);
