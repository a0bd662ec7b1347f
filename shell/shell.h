// The program shell: start-up, the main loop and its screens, shutdown.
#pragma once

#include <cstdint>

enum class ScreenState : int32_t { Exit = 0, Title, Options, Scores, NameEntry, Play, AllClear };
enum class GraphicsState : int32_t { NeedsBuild = 0, Built, ReopenScreen };

struct Shell {
  ScreenState screenState = ScreenState::Title;
  GraphicsState graphicsState = GraphicsState::NeedsBuild;
  int32_t screenTimer = 0;  // frames in the current screen; the seed of a new game
  int32_t demoMode = 0;     // 1 while Play runs a demonstration
  int32_t demoIndex = 0;    // the recording it replays, 0..2
  int32_t titleIntro = 1;   // the title logo's fly-in is still to be shown
  int32_t escapeLatch = 0;  // edge detectors: a held key or button acts once
  int32_t snapLatch = 0;
  int32_t clickLatch = 0;
  int32_t quit = 0;         // the window was closed: end now, save nothing
  int32_t musicStream = 0;  // the sound buffer the game's tune streams into

  bool operator==(const Shell&) const = default;
};

extern Shell shell;

const char* ScreenStateName(ScreenState state);

// How start-up ended.
enum class StartUpResult { Ready, Failed };

// Start-up in order; on failure the message has been shown and only
// ShutDown remains to be called.
StartUpResult StartUp();

// One pass of the main loop; false when the loop has ended.
bool RunPass();

// Shutdown: saves the settings only when the loop ended through the title.
void ShutDown(StartUpResult started);

// The whole program; always returns 0.
int RunGame();

// Screen handlers, one frame per call.
void Title();
void Options();
void Scores();
void NameEntry();
void PlayFrame();
void AllClearFrame();

// A new game (or a demonstration) from the title.
void StartGame(bool demonstration);

// Back to the title from any other screen (Escape), with the logo fly-in.
void ReturnToTitleWithIntro();
