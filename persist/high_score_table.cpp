#include "persist/high_score_table.h"

#include <algorithm>
#include <cstdio>

#include "levels/random.h"
#include "persist/preferences.h"

HighScoreTable highScores;
std::array<std::string, 10> defaultRecords;

namespace {

constexpr const char* kDefaultName = "KRV     ";
constexpr int32_t kDefaultScores[9] = {0, 640, 320, 160, 80, 40, 20, 10, 5};
constexpr const char* kDamaged = "%err%";

// Right-aligned in width characters with leading zeros; a longer number keeps
// its first width characters.
std::string ZeroPadded(int32_t value, size_t width) {
  std::string digits = std::to_string(value);
  if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
  return digits.substr(0, width);
}

std::string ThreeDigits(int32_t value) {
  char text[8];
  std::snprintf(text, sizeof text, "%03d", value);
  return text;
}

}  // namespace

HighScoreTable DefaultHighScores() {
  HighScoreTable table;
  for (int i = 1; i <= 8; ++i) {
    table.hsNames[i] = kDefaultName;
    table.hsScores[i] = kDefaultScores[i];
  }
  return table;
}

void CodeDefaultRecords() {
  for (int i = 1; i <= 8; ++i) {
    defaultRecords[i] = EncodeScoreRecord(PlainScoreRecord(kDefaultName, kDefaultScores[i]));
  }
}

std::string PlainScoreRecord(const std::string& name, int32_t score) {
  return name + ZeroPadded(score, 7);
}

std::string EncodeScoreRecord(const std::string& plain) {
  return EncodeScoreRecordWithKey(plain, Random(998) + 1);
}

std::string EncodeScoreRecordWithKey(const std::string& plain, int32_t key) {
  int32_t k = key;
  int32_t sum = 0;
  std::string out;
  for (char ch : plain) {
    k = (k * 7) & 511;
    int32_t c = static_cast<unsigned char>(ch) ^ k;
    sum = (sum + c) & 511;
    out += ThreeDigits(c);
  }
  return out + ThreeDigits(sum) + ThreeDigits(key);
}

std::string DecodeScoreRecord(const std::string& coded) {
  const size_t keyStart = coded.size() > 3 ? coded.size() - 3 : 0;
  const int32_t key = ReadLeadingInteger(std::string_view(coded).substr(keyStart));
  const std::string body = coded.substr(0, keyStart);
  if (body.empty()) return "";
  const size_t groups = body.size() / 3;  // characters and the checksum
  if (body.size() != groups * 3) return kDamaged;
  int32_t k = key;
  int32_t sum = 0;
  std::string out;
  for (size_t i = 0; i + 1 < groups; ++i) {
    k = (k * 7) & 511;
    int32_t v = ReadLeadingInteger(std::string_view(body).substr(3 * i, 3));
    out += static_cast<char>((v ^ k) & 0xFF);
    sum = (sum + v) & 511;
  }
  if (sum != ReadLeadingInteger(std::string_view(body).substr(body.size() - 3))) return kDamaged;
  return out;
}

void SetEntryFromRecord(HighScoreTable& table, int i, const std::string& plain, bool clamp) {
  table.hsNames[i] = plain.substr(0, 8);
  int32_t score = plain.size() > 8 ? ReadLeadingInteger(std::string_view(plain).substr(8, 7)) : 0;
  table.hsScores[i] = clamp ? std::clamp(score, 0, 9999999) : score;
}
