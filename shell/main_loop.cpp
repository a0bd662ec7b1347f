//-----------------------------------------------------------------------------
// The main loop: one pass is one displayed frame.
//
// Each pass waits for its turn and takes in the events, idles while the
// window is in the background (the sprites are freed then and rebuilt on
// return), reads the devices, handles Escape and F12, runs the current screen
// for one frame, composes the frame and shows it at once: what the player did
// before the pass began is on the screen when it ends.
//-----------------------------------------------------------------------------
#include <algorithm>
#include <vector>

#include "audio/sound.h"
#include "input/input.h"
#include "persist/screenshot.h"
#include "persist/settings.h"
#include "platform/display.h"
#include "platform/pacer.h"
#include "recording/replay.h"
#include "recording/table.h"
#include "render/compose.h"
#include "render/display.h"
#include "render/graphics.h"
#include "render/text.h"
#include "shell/shell.h"
#include "world/world.h"

Shell shell;

namespace {

constexpr int kBackgroundPollMs = 20;

void BuildAllGraphics() {
  shell.graphicsState = GraphicsState::Built;
  BuildGraphics();
  PaintTerrainStrips();
  BuildWallTiles();
  ApplyDisplayGeometry();
  BeginQuads();
  SetTextureClamp();
  EndQuads();
}

//-----------------------------------------------------------------------------
// Pause: P, the Pause key or a pad's Start stop a game or a demonstration.
// Nothing moves; the picture of the moment stays with "PAUSED" over it. The
// same keys or a click go on, with the pointer where it was, so that moving
// the mouse meanwhile does not fly the ship. Escape still leaves.
//-----------------------------------------------------------------------------

std::vector<uint32_t> pausedPicture;  // the playfield when the game stopped

void KeepPausedPicture() {
  const SpriteView view = ViewSprite(Playfield);
  if (view.pixels != nullptr) pausedPicture.assign(view.pixels, view.pixels + view.width * view.height);
}

void Pause() {
  shell.paused = 1;
  shell.pausedPointerX = input.pointerX;
  shell.pausedPointerY = input.pointerY;
  KeepPausedPicture();
}

void Resume() {
  shell.paused = 0;
  MoveCursor(shell.pausedPointerX, shell.pausedPointerY);
}

void DrawPausedPicture() {
  uint32_t* pixels = SpritePixelsForWriting(Playfield);
  if (pixels != nullptr && !pausedPicture.empty()) {
    std::copy(pausedPicture.begin(), pausedPicture.end(), pixels);
  }
  SelectTarget(Playfield);
  DrawPausedCaption();
  SelectTarget(ScreenTarget);
}

// A recording that plays answers its controls: speed, jumps, and single
// frames, which pause it first. A paused recording that moved shows its new
// moment.
void HandleReplayControls() {
  const ReplayRequests r = ReadReplayRequests();
  ChangeReplaySpeed(r.speed);
  if (r.step != 0 && !shell.paused) Pause();
  bool moved = false;
  if (r.jump != 0) moved = JumpReplay(r.jump);
  if (r.step > 0 && shell.paused) {
    PlayRecordingFrames(1);
    moved = true;
  }
  if (r.step < 0 && shell.paused) moved = JumpReplay(-1) || moved;
  if (moved && shell.paused) KeepPausedPicture();
}

// True when the pause was toggled or held in this pass: the screen does not
// run then.
bool HandlePause() {
  if (!InGame()) shell.paused = 0;  // Escape left the game
  const bool pauseKey = input.pauseDown || (PadPlays() && input.joyStart);
  const bool click = input.leftDown != 0;
  const bool pausePressed = pauseKey && !(shell.pauseLatch & 1);
  const bool clickPressed = click && !(shell.pauseLatch & 2);
  shell.pauseLatch = (pauseKey ? 1 : 0) | (click ? 2 : 0);
  if (shell.paused) {
    if (pausePressed || clickPressed) Resume();
    DrawPausedPicture();
    return true;
  }
  if (InGame() && pausePressed) {
    Pause();
    DrawPausedPicture();
    return true;
  }
  return false;
}

// A pad's Start is Escape in the menus (not on the title, where Escape
// would end the program).
bool EscapePressed() {
  const bool menu = shell.screenState == ScreenState::Options || shell.screenState == ScreenState::Scores ||
                    shell.screenState == ScreenState::NameEntry;
  return input.escapeDown || (menu && PadPlays() && input.joyStart);
}

void HandleScreenshotKey() {
  if (input.snapDown) {
    if (!shell.snapLatch) {
      shell.snapLatch = 1;
      TakeScreenshot();
    }
  } else {
    shell.snapLatch = 0;
  }
}

void HandleEscapeKey() {
  if (EscapePressed()) {
    if (!shell.escapeLatch) {
      shell.escapeLatch = 1;
      // Escape leaves the program from the title; a replay goes back to
      // where it was started from.
      if (shell.screenState == ScreenState::Title) {
        shell.screenState = ScreenState::Exit;
      } else if (Replaying()) {
        LeaveReplay();
      } else {
        ReturnToTitleWithIntro();
      }
    }
  } else {
    shell.escapeLatch = 0;
  }
}

void RunScreen() {
  switch (shell.screenState) {
    case ScreenState::Title: Title(); break;
    case ScreenState::Options: Options(); break;
    case ScreenState::Scores: Scores(); break;
    case ScreenState::NameEntry: NameEntry(); break;
    case ScreenState::Play: PlayFrame(); break;
    case ScreenState::AllClear: AllClearFrame(); break;
    case ScreenState::Exit: break;
  }
}

// The current screen for one pass: a recording plays as fast as it is
// asked to, any other screen one frame.
void RunScreens() {
  if (RecordingPlays()) {
    PlayRecordingFrames(ReplaySpeed());
  } else {
    RunScreen();
    FollowGames();
  }
}

// Once the name entry is left (END, Return or Escape), the name is in the
// file of its entry's recording.
void FollowNameEntry() {
  if (shell.lastScreen == ScreenState::NameEntry && shell.screenState != ScreenState::NameEntry) {
    SaveTableRecordings();
  }
  shell.lastScreen = shell.screenState;
}

// FORCE 60HZ changed: open the screen again with the new setting. False when
// no screen opens any more.
bool ReopenScreen() {
  FreeAllSprites();
  CloseDisplay();
  if (!OpenGameScreen()) return false;
  shell.graphicsState = GraphicsState::NeedsBuild;
  return true;
}

}  // namespace

const char* ScreenStateName(ScreenState state) {
  switch (state) {
    case ScreenState::Exit: return "Exit";
    case ScreenState::Title: return "Title";
    case ScreenState::Options: return "Options";
    case ScreenState::Scores: return "Scores";
    case ScreenState::NameEntry: return "NameEntry";
    case ScreenState::Play: return "Play";
    case ScreenState::AllClear: return "AllClear";
  }
  return "?";
}

void ReturnToTitleWithIntro() {
  ClearAllEntities();
  StopAllSounds();
  shell.screenTimer = 0;
  shell.titleIntro = 1;
  shell.screenState = ScreenState::Title;
}

bool RunPass() {
  BeginPass();
  if (platform::QuitRequested()) {
    // Closed from outside: the game ends the normal way and keeps what the
    // player did.
    shell.quit = 1;
    return false;
  }
  if (!IsDisplayActive()) {
    if (shell.graphicsState == GraphicsState::Built) {
      shell.graphicsState = GraphicsState::NeedsBuild;
      FreeAllSprites();
    }
    platform::SleepMs(kBackgroundPollMs);
    return shell.screenState != ScreenState::Exit;
  }
  if (shell.graphicsState == GraphicsState::NeedsBuild) BuildAllGraphics();
  ReadPointer();
  ReadKeyboard();
  if (settings.joystick == 1) SteerPointerWithJoystick();
  HandleScreenshotKey();
  HandleEscapeKey();
  if (RecordingPlays()) HandleReplayControls();
  if (!HandlePause()) RunScreens();
  DrawReplayCaption();
  FollowNameEntry();
  ComposeFrame(shell.screenState == ScreenState::Play);
  PresentFrame();
  if (shell.graphicsState == GraphicsState::ReopenScreen && !ReopenScreen()) {
    shell.failed = 1;
    return false;
  }
  return shell.screenState != ScreenState::Exit;
}

