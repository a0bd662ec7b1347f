//-----------------------------------------------------------------------------
// The Play and AllClear screens: a frame of the game, and how a game ends —
// game over, the end of a demonstration, or the closing sequence after the
// last level.
//-----------------------------------------------------------------------------
#include "audio/sound.h"
#include "input/input.h"
#include "levels/random.h"
#include "persist/settings.h"
#include "render/display.h"
#include "render/graphics.h"
#include "render/plasma.h"
#include "render/text.h"
#include "shell/high_scores.h"
#include "shell/shell.h"
#include "world/effects.h"
#include "world/game.h"
#include "world/tables.h"
#include "world/world.h"

namespace {

constexpr int32_t kGameOverFrames = 180;
constexpr int32_t kDemoFrames = 1200;
constexpr int32_t kAllClearFrames = 270;

// A game ended: the table decides between the name entry and the title.
void EndGame() {
  ClearAllEntities();
  StopAllSounds();
  InsertHighScore(world.game.score);
}

// A demonstration ends after its recording, or on any sign of a player.
bool PlayerInterrupts() {
  return input.leftDown || input.rightDown || input.pointerX != 320 || input.pointerY != 240 ||
         (settings.joystick == 1 && input.joyButtons != 0);
}

}  // namespace

void StartGame(bool demonstration) {
  shell.demoMode = demonstration;
  NewGame(NewGameOptions{demonstration, shell.demoIndex, shell.screenTimer, shell.musicStream});
  shell.screenState = ScreenState::Play;
}

// A frame of play. When the game or the demonstration ends in it, the frame
// ends there: nothing is drawn, and the sound requests raised in it are not
// served (the next game clears them).
void PlayFrame() {
  UpdatePlay(shell.demoMode ? DemoInput(shell.demoIndex) : ReadGameInput());
  if (world.game.gameOverTimer == kGameOverFrames) {
    EndGame();
    return;
  }
  if (shell.demoMode && (world.game.levelFrame == kDemoFrames || PlayerInterrupts())) {
    ClearAllEntities();
    StopAllSounds();
    shell.screenTimer = 0;
    MoveCursor(480, 360);
    shell.screenState = ScreenState::Title;
    return;
  }
  if (DrawPlay(shell.demoMode) == LevelFlow::AllLevelsCleared) {
    shell.screenTimer = 0;
    shell.screenState = ScreenState::AllClear;
  }
}

// The closing sequence: fruit rains down for 4.5 seconds.
void AllClearFrame() {
  GameState& g = world.game;
  g.scrollSpeed = 0;
  ++shell.screenTimer;
  for (int i = 0; i < 8; ++i) {
    g.debrisCursor = (g.debrisCursor + 1) & 511;
    DebrisPiece& d = world.Debris.Add();
    d.sprite = DebrisSprites[g.debrisCursor];
    d.x = Random(0x14000) - 0x2000;
    d.y = -0xC00;
    d.vx = Random(0x180) - 0xC0;
  }
  UpdateDebris();
  SelectTarget(Playfield);
  DrawPlasma();
  world.Debris.ForEach([](const DebrisPiece& d) { BlitKeyed(d.sprite, d.x >> 8, d.y >> 8); });
  DrawAllClearCaption();
  DrawLives();
  DrawScore();
  SelectTarget(ScreenTarget);
  if (shell.screenTimer == kAllClearFrames) EndGame();
}
