#include "tools/vantomir_tool/args.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
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
