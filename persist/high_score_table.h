// The eight best scores with their names, and the coded form in which the
// settings file keeps each of them.
#pragma once

#include <array>
#include <cstdint>
#include <string>

struct HighScoreTable {
  std::array<std::string, 10> hsNames{};  // entries 1..8; 8 characters (blank-padded) when entered
  std::array<int32_t, 10> hsScores{};     // entries 1..8, best first; equal scores in order of arrival

  bool operator==(const HighScoreTable&) const = default;
};

extern HighScoreTable highScores;

// Entries 1..8: the coded default records, made at start-up.
extern std::array<std::string, 10> defaultRecords;

// The table a new player sees: "KRV" with scores 640 down to 5.
HighScoreTable DefaultHighScores();

// Codes the eight default records (each with a fresh random key).
void CodeDefaultRecords();

// Name (as given) followed by the score right-aligned in 7 digits with
// leading zeros; a longer number keeps its first 7 digits.
std::string PlainScoreRecord(const std::string& name, int32_t score);

// Codes a plain record with a new random key 1..999: three digits per
// character, then a checksum and the key, three digits each.
std::string EncodeScoreRecord(const std::string& plain);
std::string EncodeScoreRecordWithKey(const std::string& plain, int32_t key);

// The plain record, or "%err%" when the checksum or the length is wrong.
std::string DecodeScoreRecord(const std::string& coded);

// Fills entry i (1..8) of table from a decoded record: characters 1..8 are
// the name, 9..15 the score (clamped to 0..9999999 when clamp is set).
void SetEntryFromRecord(HighScoreTable& table, int i, const std::string& plain, bool clamp);
