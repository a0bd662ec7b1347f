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

// At the end of a game: enters score into the table if it beats an entry
// (strictly) and opens the name entry, or goes back to the title.
void InsertHighScore(int32_t score);
