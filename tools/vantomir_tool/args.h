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

// Prints "vantomir-tool COMMAND: message" to standard error; returns 2.
int UsageError(const std::string& command, const std::string& message);
