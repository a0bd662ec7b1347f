//-----------------------------------------------------------------------------
// The main loop: one pass is one displayed frame.
//
// Each pass shows the previous frame, idles while the window is in the
// background (the sprites are freed then and rebuilt on return), reads the
// devices, handles Escape and F12, runs the current screen for one frame and
// composes the next frame.
//-----------------------------------------------------------------------------
#include "audio/sound.h"
#include "input/input.h"
#include "persist/screenshot.h"
#include "platform/display.h"
#include "platform/pacer.h"
#include "persist/settings.h"
#include "render/compose.h"
#include "render/display.h"
#include "render/graphics.h"
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
  if (input.escapeDown) {
    if (!shell.escapeLatch) {
      shell.escapeLatch = 1;
      if (shell.screenState == ScreenState::Title) {
        shell.screenState = ScreenState::Exit;
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
  PresentFrame();
  if (platform::QuitRequested()) {
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
  RunScreen();
  ComposeFrame(shell.screenState == ScreenState::Play);
  if (shell.graphicsState == GraphicsState::ReopenScreen && !ReopenScreen()) {
    shell.quit = 1;
    return false;
  }
  return shell.screenState != ScreenState::Exit;
}

int RunGame() {
  StartUpResult started = StartUp();
  if (started == StartUpResult::Ready) {
    while (RunPass()) {
    }
  }
  ShutDown(started);
  return 0;
}
