// The menu screens stepped frame by frame with the pointer and fire: options
// bars and boxes, BACK's fresh-press rule, the high-score table and the name
// entry.
#include <gtest/gtest.h>

#include "audio/sound.h"
#include "input/input.h"
#include "persist/high_score_table.h"
#include "persist/settings.h"
#include "platform/headless.h"
#include "platform/sound_device.h"
#include "shell/high_scores.h"
#include "shell/shell.h"
#include "tests/headless_game.h"

namespace {

namespace headless = platform::headless;

class Menus : public HeadlessGame {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(HeadlessGame::SetUp());
    ASSERT_TRUE(RunPass());
  }

  // Puts the pointer on text cell (col, row) of the playfield.
  void PointAt(int col, int row) { headless::PlacePointer(col * 20 + 5, (row * 8 * 480 + 223) / 224 + 2); }
  void Fire(bool down) { headless::SetMouseButton(platform::MouseButton::Left, down); }
  void Pass() { ASSERT_TRUE(RunPass()); }

  // True when the click sound started in the last pass: sounds advance at
  // the start of a pass, so one played during it still stands at its start.
  bool Clicked() {
    const SoundSamples* click = FindSoundSamples(soundTable.slot[kSoundClick]);
    return click != nullptr && platform::IsSoundBufferPlaying(click->buffer) &&
           platform::GetSoundBufferPosition(click->buffer) == 0;
  }
};

TEST_F(Menus, PointerCellsMatchTheTextGrid) {
  for (int row : {0, 3, 7, 13, 26, 27}) {
    for (int col : {0, 16, 23, 31}) {
      PointAt(col, row);
      Pass();
      EXPECT_EQ(input.pointerX * 256 / 640 / 8, col);
      EXPECT_EQ(input.pointerY * 224 / 480 / 8, row);
    }
  }
}

TEST_F(Menus, TitleWordsOpenTheirScreensOncePerPress) {
  PointAt(15, 16);  // OPTIONS
  Fire(true);
  Pass();
  EXPECT_EQ(shell.screenState, ScreenState::Options);
  Fire(false);
  Pass();
  shell.screenState = ScreenState::Title;
  PointAt(2, 2);  // outside every word: nothing, but no demonstration timer reset
  Fire(true);
  const int32_t timer = shell.screenTimer;
  Pass();
  EXPECT_EQ(shell.screenState, ScreenState::Title);
  EXPECT_EQ(shell.screenTimer, timer + 1);
  Fire(false);
  Pass();
  PointAt(15, 22);  // EXIT, without a click
  Fire(true);
  EXPECT_FALSE(RunPass());
  EXPECT_FALSE(Clicked());
  EXPECT_EQ(shell.screenState, ScreenState::Exit);
}

TEST_F(Menus, DraggingAlongABarChangesItCellByCell) {
  shell.screenState = ScreenState::Options;
  settings.scanlines = 25;
  PointAt(18, 7);
  Fire(true);
  Pass();
  EXPECT_EQ(settings.scanlines, 20);
  EXPECT_EQ(scanlineAlpha, 51);
  EXPECT_TRUE(Clicked());
  Pass();  // resting on the same cell: no change, no click
  EXPECT_FALSE(Clicked());
  for (int col = 19; col <= 26; ++col) {
    PointAt(col, 7);
    Pass();
    EXPECT_EQ(settings.scanlines, (col - 16) * 10);
    EXPECT_TRUE(Clicked()) << "column " << col;
  }
  EXPECT_EQ(scanlineAlpha, 255);
  PointAt(30, 7);  // past the bar: no change
  Pass();
  EXPECT_EQ(settings.scanlines, 100);
  EXPECT_FALSE(Clicked());

  PointAt(21, 21);  // MOUSE SENS, still holding fire
  Pass();
  EXPECT_EQ(settings.mouseSens, 5);
  PointAt(17, 15);
  Pass();
  EXPECT_EQ(settings.volume, 10);
  // The click's own volume follows at once: the table's volume 5.
  EXPECT_EQ(FindSoundSamples(soundTable.slot[kSoundClick])->attenuation, -2603);
  EXPECT_TRUE(Clicked());
}

TEST_F(Menus, BoxesSetTheirSettingAndStretchAppliesAtOnce) {
  shell.screenState = ScreenState::Options;
  PointAt(16, 5);
  Fire(true);
  Pass();
  EXPECT_EQ(settings.stretch, 0);
  PointAt(23, 23);
  Pass();
  EXPECT_EQ(settings.joystick, 1);
  PointAt(23, 11);
  Pass();
  EXPECT_EQ(settings.sixtyHzMode, 1);
  EXPECT_EQ(shell.graphicsState, GraphicsState::NeedsBuild);  // reopened at the end of the frame
  Pass();
  EXPECT_EQ(shell.graphicsState, GraphicsState::Built);
}

TEST_F(Menus, BackNeedsAFreshPress) {
  shell.screenState = ScreenState::Options;
  shell.clickLatch = 1;  // fire still held from the title's click
  Fire(true);
  PointAt(26, 26);
  Pass();
  Pass();
  EXPECT_EQ(shell.screenState, ScreenState::Options);
  PointAt(26, 24);  // held while moving onto BACK
  Pass();
  PointAt(26, 26);
  Pass();
  EXPECT_EQ(shell.screenState, ScreenState::Options);
  Fire(false);
  Pass();
  Fire(true);
  shell.screenTimer = 77;
  Pass();
  EXPECT_EQ(shell.screenState, ScreenState::Title);
  EXPECT_EQ(shell.screenTimer, 0);
}

TEST_F(Menus, ScoresBackReturnsToTheTitle) {
  shell.screenState = ScreenState::Scores;
  PointAt(25, 24);
  Fire(true);
  Pass();
  EXPECT_EQ(shell.screenState, ScreenState::Title);
}

class HighScores : public Menus {
 protected:
  void SetUp() override {
    Menus::SetUp();
    highScores = DefaultHighScores();
  }
};

TEST_F(HighScores, InsertionOrderAndShifts) {
  InsertHighScore(5);  // equal to entry 8: does not enter
  EXPECT_EQ(shell.screenState, ScreenState::Title);
  EXPECT_EQ(highScores, DefaultHighScores());

  InsertHighScore(160);  // equal to entry 3: goes below it
  EXPECT_EQ(shell.screenState, ScreenState::NameEntry);
  EXPECT_EQ(nameEntry.entryPlace, 4);
  EXPECT_EQ(highScores.hsScores[4], 160);
  EXPECT_EQ(highScores.hsScores[5], 80);
  EXPECT_EQ(highScores.hsScores[8], 10);

  highScores = DefaultHighScores();
  InsertHighScore(1000);  // beats entry 1: everything shifts, entry 8 drops out
  EXPECT_EQ(nameEntry.entryPlace, 1);
  EXPECT_EQ(highScores.hsScores[1], 1000);
  EXPECT_EQ(highScores.hsScores[2], 640);
  EXPECT_EQ(highScores.hsScores[8], 10);
  int x = 0, y = 0;
  platform::GetPointer(&x, &y);
  EXPECT_EQ(x, 320);
  EXPECT_EQ(y, 240);
}

TEST_F(HighScores, EndAtOnceStoresEightBlanks) {
  InsertHighScore(700);
  PointAt(24, 24);  // END
  Fire(true);
  Pass();
  EXPECT_EQ(shell.screenState, ScreenState::Title);
  EXPECT_EQ(highScores.hsNames[1], "        ");
}

TEST_F(HighScores, TypingFillsEightSlotsThenOnlyTheDelKeyHelps) {
  InsertHighScore(700);
  // 'A' is code 65: grid row 19 + (65 - 32) / 16 = 21, column 8 + 1 = 9.
  for (int i = 0; i < 10; ++i) {
    PointAt(9, 21);
    Fire(true);
    Pass();
    Fire(false);
    Pass();
  }
  EXPECT_EQ(nameEntry.entryCursor, 9);
  EXPECT_EQ(highScores.hsNames[1], "AAAAAAAA");

  PointAt(20, 24);  // DEL: the cursor goes back to slot 8, which now previews a blank
  Fire(true);
  Pass();
  Fire(false);
  Pass();
  EXPECT_EQ(nameEntry.entryCursor, 8);
  EXPECT_EQ(highScores.hsNames[1], "AAAAAAA ");

  PointAt(8, 19);  // the grid's first cell previews a blank; 'B' is next to 'A'
  Pass();
  PointAt(10, 21);
  Pass();
  EXPECT_EQ(highScores.hsNames[1], "AAAAAAAB");

  headless::SetKey(platform::Key::Escape, true);  // leaving keeps the name
  Pass();
  EXPECT_EQ(shell.screenState, ScreenState::Title);
  EXPECT_EQ(highScores.hsNames[1], "AAAAAAAB");
}

}  // namespace
