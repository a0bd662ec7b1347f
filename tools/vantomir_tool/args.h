// Small helpers for reading command-line arguments strictly.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The whole text as a decimal integer in [min, max], or nothing.
std::optional<int64_t> ParseInteger(const std::string& text, int64_t min, int64_t max);

// "1,2,30" as numbers >= 0, or nothing when any item is not one.
std::optional<std::vector<int64_t>> ParseIntegerList(const std::string& text);

// One line of an input file: its number (from 1), its text and its words.
struct FileLine {
  int number;
  std::string text;
  std::vector<std::string> words;
};

// The lines of a text file that hold something, '#' lines left out; false
// (with error naming the file) when it cannot be read.
bool ReadFileLines(const std::string& path, std::vector<FileLine>* lines, std::string* error);

// "FILE:LINE: why: 'text'"
std::string LineError(const std::string& path, const FileLine& line, const std::string& why);

// Prints "vantomir-tool COMMAND: message" to standard error; returns 2.
int UsageError(const std::string& command, const std::string& message);
