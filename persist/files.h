// Reading a whole small file safely: only a regular file is read, never a
// folder, a device or a pipe of that name, and never more than a limit.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

enum class ReadResult { Read, Missing, Failed };

// Reads the regular file at path into text. Missing: nothing of that name
// exists. Failed: error says why (a folder, not a regular file, too large,
// no permission, a read error).
ReadResult ReadRegularFile(const std::string& path, size_t maxBytes, std::string* text, std::string* error);

// Writes all of bytes to the open file, going on after interruptions. False
// on a write error (errno says which).
bool WriteAll(int fd, std::string_view bytes);

// Puts bytes in the file at path in one step: a temporary file beside it is
// written and made sure on the disk, then renamed over the old one, so the
// old file stays whole until the new one is. False, with the reason in error
// (the old file untouched and no temporary left), on any failure.
bool ReplaceFileAtomically(const std::string& path, std::string_view bytes, std::string* error);
