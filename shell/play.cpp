//-----------------------------------------------------------------------------
// The Play and AllClear screens: a frame of the game, and how a game ends —
// game over, the end of a demonstration, or the closing sequence after the
// last level.
//-----------------------------------------------------------------------------
#include "audio/sound.h"
#include "input/input.h"
#include "levels/random.h"
#include "persist/settings.h"
#include "recording/recorder.h"
#include "recording/replay.h"
#include "recording/table.h"
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
constexpr int32_t kAllClearFrames = 270;

// A game ended: the table decides between the name entry and the title,
// and a player's game that enters it keeps its recording there. A replayed
// game goes on to the next one instead.
void EndGame() {
  ClearAllEntities();
  StopAllSounds();
  if (FinishReplayedGame()) return;
  NoteGameEnded();
  const int32_t place = InsertHighScore(world.game.score);
  if (place > 0) KeepTableRecording(place, FinishedGame());
}

// A demonstration ends after its recording, or on any sign of a player: the
// mouse moved or clicked, a pad's button, any key but the game's own.
bool PlayerInterrupts() {
  return input.leftDown || input.rightDown || input.pointerX != 320 || input.pointerY != 240 ||
         (settings.joystick == 1 && input.joyButtons != 0) || input.otherKeyPressed;
}

}  // namespace

void StartGame(bool demonstration) {
  if (!demonstration) {
    StartGameWith(shell.screenTimer, kPlayerStart);
    return;
  }
  shell.demoMode = 1;
  NewGame(NewGameOptions{true, shell.demoIndex, 0, shell.musicStream, std::nullopt});
  shell.screenState = ScreenState::Play;
  ForgetFinishedGame();
  NoteDemonstrationStarted();
}

void StartGameWith(int32_t seed, const GameStart& start) {
  shell.demoMode = 0;
  if (!Replaying()) NoteGameStarted(seed, start);
  NewGame(NewGameOptions{false, 0, seed, shell.musicStream, start});
  shell.screenState = ScreenState::Play;
}

// A frame of play. When the game or the demonstration ends in it, the frame
// ends there: nothing is drawn, and the sound requests raised in it are not
// served (the next game clears them).
void PlayFrame() {
  UpdatePlay(TakePlayInput());
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

bool InGame() { return shell.screenState == ScreenState::Play || shell.screenState == ScreenState::AllClear; }

void RunGameFrame() {
  if (shell.screenState == ScreenState::Play) {
    PlayFrame();
  } else {
    AllClearFrame();
  }
  FollowGames();
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
