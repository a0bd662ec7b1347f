// The program shell: start-up, the main loop and its screens, shutdown.
#pragma once

#include <cstdint>

#include "world/game.h"

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
  int32_t quit = 0;         // the window was closed or the process asked to end
  int32_t failed = 0;       // the screen could not be opened again: end without saving
  int32_t paused = 0;       // a game or demonstration stands still (P, Pause, Start)
  int32_t pauseLatch = 0;   // held: the pause keys (bit 0), the left button (bit 1)
  int32_t pausedPointerX = 0;  // the pointer when the game stopped, given back on resuming
  int32_t pausedPointerY = 0;
  int32_t musicStream = 0;  // the sound buffer the game's tune streams into
  ScreenState lastScreen = ScreenState::Title;  // the screen at the end of the last pass

  bool operator==(const Shell&) const = default;
};

extern Shell shell;

const char* ScreenStateName(ScreenState state);

// How start-up ended.
enum class StartUpResult { Ready, Failed };

// Start-up in order; on failure the message has been shown and only
// ShutDown remains to be called.
StartUpResult StartUp(bool windowed = false);

// One pass of the main loop; false when the loop has ended.
bool RunPass();

// Shutdown: saves the settings, the high-score table and its recordings
// unless the loop ended in a failure, or keepFiles is false (tools that only
// borrow the game).
void ShutDown(StartUpResult started, bool keepFiles = true);

struct CommandLine;
// The whole program with its command line; returns the exit status: 0, or 1
// when the game could not start or run.
int RunGame(const CommandLine& line);

// Screen handlers, one frame per call.
void Title();
void Options();
void Scores();
void NameEntry();
void PlayFrame();
void AllClearFrame();

// A game is on the screen: its play or its closing sequence.
bool InGame();
// One frame of the game on the screen (PlayFrame or AllClearFrame), then
// FollowGames: what a replay runs in place of the main loop's pass.
void RunGameFrame();

// A new game from the title: the player's (START, seeded with the title's
// frame count) or demonstration demoIndex.
void StartGame(bool demonstration);

// A player's game with this seed and start (recorded games, tools).
void StartGameWith(int32_t seed, const GameStart& start);

// Back to the title from any other screen (Escape), with the logo fly-in.
void ReturnToTitleWithIntro();
