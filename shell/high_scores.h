// The high-score screens: the table, and the name entry after a game.
#pragma once

#include <array>
#include <cstdint>

struct NameEntryState {
  std::array<char, 10> entrySlots{};  // slots 1..8 form the name; 9 only catches the preview
  int32_t entryCursor = 1;            // 1..9: the slot being edited
  int32_t entryPlace = 1;             // 1..8: the table entry receiving the name
  int32_t blinkCounter = 0;           // 0..15, one step per frame
  int32_t keyLatch = 0;               // Backspace (bit 0) and Return (bit 1) held

  bool operator==(const NameEntryState&) const = default;
};

extern NameEntryState nameEntry;

// The table screen: an entry with a recording is watched by clicking its
// row, or chosen with the up and down keys and watched with Return or fire.
struct ScoresScreenState {
  int32_t choice = 0;    // the entry chosen with the keys, 1..8, or 0
  int32_t keyLatch = 0;  // up (bit 0), down (bit 1), Return or fire (bit 2) held

  bool operator==(const ScoresScreenState&) const = default;
};

extern ScoresScreenState scoresScreen;

// At the end of a game: enters score into the table if it beats an entry
// (strictly) and opens the name entry, or goes back to the title. Returns
// the place it entered, 1..8, or 0.
int32_t InsertHighScore(int32_t score);
