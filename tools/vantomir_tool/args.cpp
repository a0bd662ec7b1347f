#include "tools/vantomir_tool/args.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

std::optional<int64_t> ParseInteger(const std::string& text, int64_t min, int64_t max) {
  if (text.empty()) return std::nullopt;
  errno = 0;
  char* end = nullptr;
  long long value = std::strtoll(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || value < min || value > max) return std::nullopt;
  return value;
}

std::optional<std::vector<int64_t>> ParseIntegerList(const std::string& text) {
  std::vector<int64_t> values;
  std::stringstream items(text);
  std::string item;
  while (std::getline(items, item, ',')) {
    auto value = ParseInteger(item, 0, INT32_MAX);
    if (!value) return std::nullopt;
    values.push_back(*value);
  }
  if (values.empty()) return std::nullopt;
  return values;
}

int UsageError(const std::string& command, const std::string& message) {
  std::fprintf(stderr, "vantomir-tool %s: %s\n(see vantomir-tool %s --help)\n", command.c_str(),
               message.c_str(), command.c_str());
  return 2;
}

bool OptionReader::Next(std::initializer_list<std::string_view> flags) {
  if (exitCode_ || next_ >= args_.size()) return false;
  name_ = args_[next_++];
  value_.clear();
  if (name_ == "--help" || name_ == "-h") {
    std::fputs(help_, stdout);
    exitCode_ = 0;
    return false;
  }
  for (std::string_view flag : flags) {
    if (name_ == flag) return true;
  }
  if (next_ >= args_.size()) {
    Fail("'" + name_ + "' needs a value or is unknown");
    return false;
  }
  value_ = args_[next_++];
  return true;
}

std::optional<int64_t> OptionReader::Number(int64_t min, int64_t max) {
  auto n = ParseInteger(value_, min, max);
  if (!n) {
    Fail(name_ + " takes a whole number from " + std::to_string(min) + " to " + std::to_string(max) + ": '" +
         value_ + "'");
  }
  return n;
}

void OptionReader::Fail(const std::string& message) {
  if (!exitCode_) exitCode_ = UsageError(command_, message);
}

bool OptionReader::Stopped(int* exitCode) const {
  if (!exitCode_) return false;
  *exitCode = *exitCode_;
  return true;
}

bool ReadFileLines(const std::string& path, std::vector<FileLine>* lines, std::string* error) {
  std::ifstream file(path);
  if (!file) {
    *error = "cannot read '" + path + "'";
    return false;
  }
  std::string text;
  for (int number = 1; std::getline(file, text); ++number) {
    std::istringstream stream(text);
    std::vector<std::string> words;
    for (std::string word; stream >> word;) words.push_back(word);
    if (words.empty() || words[0][0] == '#') continue;
    lines->push_back(FileLine{number, text, std::move(words)});
  }
  return true;
}

std::string LineError(const std::string& path, const FileLine& line, const std::string& why) {
  return path + ":" + std::to_string(line.number) + ": " + why + ": '" + line.text + "'";
}
