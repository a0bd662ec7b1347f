//-----------------------------------------------------------------------------
// The high-score table screen, and the name entry: the player spells a name by
// pointing at characters of a grid and pressing fire.
//-----------------------------------------------------------------------------
#include "shell/high_scores.h"

#include <string>
#include <utility>

#include "input/input.h"
#include "persist/high_score_table.h"
#include "recording/replay.h"
#include "recording/table.h"
#include "render/display.h"
#include "render/graphics.h"
#include "render/plasma.h"
#include "render/text.h"
#include "shell/menus.h"
#include "shell/shell.h"

NameEntryState nameEntry;
ScoresScreenState scoresScreen;

namespace {

// The character grid: codes 32..95, 16 a row, in cell rows 19..22 and cell
// columns 8..23 (four strips of the font at (64, 152 + 8i)).
constexpr int32_t kGridFirstRow = 19;
constexpr int32_t kGridLastRow = 22;
constexpr int32_t kGridFirstCol = 8;
constexpr int32_t kGridLastCol = 23;
constexpr int32_t kNameLength = 8;
constexpr int32_t kPreviewSlot = 9;  // the cursor stands here once the name is full

bool OnGrid(const MenuPointer& p) {
  return p.cellRow >= kGridFirstRow && p.cellRow <= kGridLastRow && p.cellCol >= kGridFirstCol &&
         p.cellCol <= kGridLastCol;
}

char GridCharacter(const MenuPointer& p) {
  return static_cast<char>((p.cellRow - kGridFirstRow) * 16 + (p.cellCol - kGridFirstCol) + 32);
}

std::string PlaceHeading(int32_t place) {
  static const char* const kOrdinals[4] = {"", "1ST", "2ND", "3RD"};
  std::string ordinal = place <= 3 ? kOrdinals[place] : std::to_string(place) + "TH";
  return ordinal + " PLACE - ENTER YOUR NAME";
}

void DrawTableRows(int32_t x, int32_t firstY, const char* separator, const char* gap) {
  for (int i = 1; i <= 8; ++i) {
    DrawText(x, firstY + 12 * i,
             std::to_string(i) + separator + highScores.hsNames[i] + gap + ScoreDisplay(highScores.hsScores[i]));
  }
}

// DEL: the current slot goes blank and the cursor steps back.
void DeleteCharacter() {
  NameEntryState& e = nameEntry;
  if (e.entryCursor > 1) {
    e.entrySlots[e.entryCursor] = ' ';
    --e.entryCursor;
    PlayClickSound();
  }
}

// END: the name stands as it is.
void FinishName() {
  shell.screenTimer = 0;
  shell.screenState = ScreenState::Title;
  PlayClickSound();
}

void EditName(const MenuPointer& p) {
  NameEntryState& e = nameEntry;
  if (OnGrid(p)) {
    if (e.entryCursor < kPreviewSlot) {
      ++e.entryCursor;  // the previewed character stays in its slot
      PlayClickSound();
    }
  } else if (PointerOnCells(p, 24, 19, 21)) {
    DeleteCharacter();
  } else if (PointerOnCells(p, 24, 23, 25)) {
    FinishName();
  }
}

// The keyboard spells too: a typed character of the grid is entered as a
// click on it would enter it, Backspace is DEL and Return is END.
void TypeName() {
  NameEntryState& e = nameEntry;
  for (char c : input.typed) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');  // the font has capitals only
    if (c < 32 || c > 95 || e.entryCursor >= kPreviewSlot) continue;
    e.entrySlots[e.entryCursor] = c;
    ++e.entryCursor;
    PlayClickSound();
  }
  const bool deleteDown = input.backspaceDown != 0, endDown = input.returnDown != 0;
  if (deleteDown && !(e.keyLatch & 1)) DeleteCharacter();
  if (endDown && !(e.keyLatch & 2)) FinishName();
  e.keyLatch = (deleteDown ? 1 : 0) | (endDown ? 2 : 0);
}

// The table's row under the pointer, 1..8, when its entry has a recording;
// otherwise 0. A row is the band of its line and the gap below it.
int32_t WatchableRowAt(const MenuPointer& p) {
  if (p.menuX < 32 || p.menuX >= 208) return 0;
  for (int i = 1; i <= 8; ++i) {
    const int32_t top = 56 + 12 * i - 2;
    if (p.menuY >= top && p.menuY < top + 12) return TableRecordingOf(i) != nullptr ? i : 0;
  }
  return 0;
}

// Plays the entry's game back; the table comes back when it ends.
void WatchEntry(int32_t place) {
  Recording recording;
  recording.games.push_back(*TableRecordingOf(place));
  PlayClickSound();
  scoresScreen.choice = place;
  StartReplay(std::move(recording), ReplayEnd::EndGame, ReplayExit::Scores);
}

// Up and down choose among the entries with a recording; Return or fire
// watches the chosen one. True when a replay started.
bool ChooseWithKeys() {
  ScoresScreenState& s = scoresScreen;
  const bool up = input.upKey != 0, down = input.downKey != 0;
  const bool watch = input.returnDown != 0 || input.fireKey != 0;
  const int32_t pressed = ((up ? 1 : 0) | (down ? 2 : 0) | (watch ? 4 : 0)) & ~s.keyLatch;
  s.keyLatch = (up ? 1 : 0) | (down ? 2 : 0) | (watch ? 4 : 0);
  if (s.choice != 0 && TableRecordingOf(s.choice) == nullptr) s.choice = 0;
  const int32_t step = (pressed & 1) ? -1 : (pressed & 2) ? 1 : 0;
  if (step != 0) {
    // The next entry with a recording that way, or the first from the other end.
    for (int32_t i = s.choice == 0 ? (step > 0 ? 1 : 8) : s.choice + step; i >= 1 && i <= 8; i += step) {
      if (TableRecordingOf(i) != nullptr) {
        s.choice = i;
        break;
      }
    }
  }
  if ((pressed & 4) && s.choice != 0) {
    WatchEntry(s.choice);
    return true;
  }
  return false;
}

}  // namespace

int32_t InsertHighScore(int32_t score) {
  int32_t place = 0;
  for (int i = 8; i >= 1; --i) {
    if (score > highScores.hsScores[i]) place = i;
  }
  if (place == 0) {
    shell.screenTimer = 0;
    shell.screenState = ScreenState::Title;
    return 0;
  }
  for (int i = 8; i > place; --i) {
    highScores.hsNames[i] = highScores.hsNames[i - 1];
    highScores.hsScores[i] = highScores.hsScores[i - 1];
  }
  for (int i = 1; i <= kNameLength; ++i) nameEntry.entrySlots[i] = ' ';
  highScores.hsScores[place] = score;
  nameEntry.entryPlace = place;
  nameEntry.entryCursor = 1;
  nameEntry.keyLatch = 3;  // a key still held from the game acts only when pressed again
  MoveCursor(320, 240);
  shell.screenState = ScreenState::NameEntry;
  return place;
}

void NameEntry() {
  NameEntryState& e = nameEntry;
  e.blinkCounter = (e.blinkCounter + 1) & 15;
  const MenuPointer pointer = ReadMenuPointer();
  e.entrySlots[e.entryCursor] = OnGrid(pointer) ? GridCharacter(pointer) : ' ';
  if (MenuFireDown()) {
    if (!shell.clickLatch) {
      shell.clickLatch = 1;
      EditName(pointer);
    }
  } else {
    shell.clickLatch = 0;
  }
  if (shell.screenState == ScreenState::NameEntry) TypeName();
  highScores.hsNames[e.entryPlace] = std::string(e.entrySlots.begin() + 1, e.entrySlots.begin() + 1 + kNameLength);

  SelectTarget(Playfield);
  DrawPlasma();
  DrawText(20, 24, PlaceHeading(e.entryPlace));
  DrawText(20, 32, "<=========================>");
  DrawTableRows(40, 36, "  ", "  ");
  DrawText(32, 36 + 12 * e.entryPlace, "[");
  DrawText(208, 36 + 12 * e.entryPlace, "]");
  if ((e.blinkCounter & 8) != 0 && e.entryCursor < kPreviewSlot) {
    DrawText(56 + 8 * e.entryCursor, 40 + 12 * e.entryPlace, "_");
  }
  for (int i = 0; i < 4; ++i) {
    SetSourceRect(Font, 128 * i, 0, 128, 8);
    BlitKeyed(Font, 64, 152 + 8 * i);
  }
  DrawText(152, 192, "DEL END");
  DrawMenuPointer(pointer);
  SelectTarget(ScreenTarget);
}

void Scores() {
  const MenuPointer pointer = ReadMenuPointer();
  const int32_t pointed = WatchableRowAt(pointer);
  if (input.pointerMoved) scoresScreen.choice = 0;  // the mouse leads again
  if (MenuFireDown()) {
    if (!shell.clickLatch) {
      shell.clickLatch = 1;
      if (PointerOnCells(pointer, 24, 24, 27)) {
        shell.screenTimer = 0;
        shell.screenState = ScreenState::Title;
        PlayClickSound();
      } else if (pointed != 0) {
        WatchEntry(pointed);
        return;
      }
    }
  } else {
    shell.clickLatch = 0;
  }
  if (ChooseWithKeys()) return;

  SelectTarget(Playfield);
  DrawPlasma();
  DrawText(84, 40, "HIGH SCORES");
  DrawText(84, 48, "<=========>");
  DrawTableRows(40, 56, ". ", " ");
  bool anyRecording = false;
  for (int i = 1; i <= 8; ++i) {
    if (TableRecordingOf(i) == nullptr) continue;
    anyRecording = true;
    DrawText(16, 56 + 12 * i, ">");
  }
  const int32_t marked = pointed != 0 ? pointed : scoresScreen.choice;
  if (marked != 0) {
    DrawText(32, 56 + 12 * marked, "[");
    DrawText(200, 56 + 12 * marked, "]");
  }
  if (anyRecording) DrawText(24, 176, "> CLICK A SCORE TO WATCH");
  DrawText(192, 192, "BACK");
  DrawMenuPointer(pointer);
  SelectTarget(ScreenTarget);
}
