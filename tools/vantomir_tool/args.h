// Small helpers for reading command-line arguments strictly.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
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

// Walks a command's options, "--name value" pairs and value-less flags:
//
//   OptionReader options("soak", kHelp, args);
//   while (options.Next()) {
//     if (options.Name() == "--passes") {
//       if (auto n = options.Number(1, 1000)) passes = *n;
//     } else {
//       options.Unknown();
//     }
//   }
//   if (options.Stopped(&exitCode)) return false;
//
// --help (or -h) prints the help and stops with exit code 0; a usage error
// prints itself and stops with exit code 2.
class OptionReader {
 public:
  OptionReader(std::string command, const char* help, const std::vector<std::string>& args)
      : command_(std::move(command)), help_(help), args_(args) {}

  // Steps to the next option: false at the end or once stopped. The names in
  // flags take no value.
  bool Next(std::initializer_list<std::string_view> flags = {});
  const std::string& Name() const { return name_; }
  const std::string& Value() const { return value_; }
  // The value as a whole number in [min, max], or a usage error.
  std::optional<int64_t> Number(int64_t min, int64_t max);
  // A usage error: printed, and the reader stops with exit code 2.
  void Fail(const std::string& message);
  void Unknown() { Fail("unknown option '" + name_ + "'"); }
  // True (with the exit code) after --help or a usage error.
  bool Stopped(int* exitCode) const;

 private:
  std::string command_;
  const char* help_;
  const std::vector<std::string>& args_;
  size_t next_ = 0;
  std::string name_, value_;
  std::optional<int> exitCode_;
};
