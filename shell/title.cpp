//-----------------------------------------------------------------------------
// The title screen: the plasma, the logo's entrance, the four menu words and,
// left alone for 15 seconds, a demonstration.
//-----------------------------------------------------------------------------
#include "audio/music.h"
#include "audio/sound.h"
#include "input/input.h"
#include "render/display.h"
#include "render/graphics.h"
#include "render/plasma.h"
#include "render/text.h"
#include "shell/menus.h"
#include "shell/shell.h"

namespace {

constexpr int32_t kIdleFrames = 900;  // 15 seconds before a demonstration

// The words are chosen by the pointer's cell row and, within it, by menuX
// strictly between the word's edges.
bool OnWord(const MenuPointer& p, int32_t row, int32_t left, int32_t right) {
  return p.cellRow == row && p.menuX > left && p.menuX < right;
}

void ChooseWord(const MenuPointer& p) {
  if (OnWord(p, 13, 107, 148)) {
    PlayClickSound();
    StartGame(false);
  } else if (OnWord(p, 16, 99, 156)) {
    shell.screenState = ScreenState::Options;
    PlayClickSound();
  } else if (OnWord(p, 19, 103, 152)) {
    shell.screenState = ScreenState::Scores;
    PlayClickSound();
  } else if (OnWord(p, 22, 111, 144)) {
    shell.screenState = ScreenState::Exit;
  }
}

}  // namespace

void Title() {
  StopSong();  // no tune plays on the title
  ++shell.screenTimer;
  const MenuPointer pointer = ReadMenuPointer();
  if (MenuFireDown()) {
    if (!shell.clickLatch) {
      shell.clickLatch = 1;
      ChooseWord(pointer);
    }
  } else {
    shell.clickLatch = 0;
    if (shell.screenTimer > kIdleFrames) {
      // The recordings take turns: 1, 2, 0, 1, ... from start-up on.
      shell.demoIndex = (shell.demoIndex + 1) % 3;
      StartGame(true);
    }
  }
  SelectTarget(Playfield);
  DrawPlasma();
  if (DrawTitleLogo(shell.screenTimer, &shell.titleIntro)) PlaySound(soundTable.slot[kSoundPickup], 0);
  DrawText(108, 104, "START");
  DrawText(100, 128, "OPTIONS");
  DrawText(104, 152, "SCORES");
  DrawText(112, 176, "EXIT");
  BlitKeyed(CreditLine, 196, 217);
  DrawMenuPointer(pointer);
  SelectTarget(ScreenTarget);
}
