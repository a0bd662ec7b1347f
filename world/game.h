// The game itself: a new game, and one frame of play.
//
// The whole game is a deterministic function of its input and the random
// generator: every step runs in the order given and draws random numbers
// exactly where the game's design says.
#pragma once

#include <cstdint>
#include <optional>

#include "input/game_input.h"
#include "platform/sound_device.h"

// A demonstration ends at this frame of its level.
constexpr int32_t kDemoFrames = 1200;

// Recorded demonstration input: 3 recordings of 1201 frames of inputVX,
// inputVY and fireHeld. Frame f of a level replays entry [demoIndex][f].
extern int16_t demoInput[3][kDemoFrames + 1][3];

// Start-up: copies the three recordings carried in the program (assets/
// demos.bin, 3 x 1201 x 3 little-endian int16) into demoInput.
void LoadDemoInput();

// The level, score and lives a game starts with.
struct GameStart {
  int32_t level;
  int32_t score;
  int32_t lives;
};

// A player's game starts on level 1 with three lives; each demonstration
// starts where its recording was made.
constexpr GameStart kPlayerStart{1, 0, 3};
GameStart DemoStart(int32_t demoIndex);

struct NewGameOptions {
  bool demonstration;   // a recorded demonstration rather than a player's game
  int32_t demoIndex;    // the recording, 0..2
  int32_t seed;         // the title's frame count, the seed of a player's game
  platform::SoundBufferId musicStream;  // where the tune plays
  std::optional<GameStart> start;       // replaces the usual start (tools, recorded games)
};

// Prepares a game: music, settings, the generator, the per-game tables and
// the first level.
void NewGame(const NewGameOptions& options);

// The input a demonstration replays in the frame about to run: its
// recording's entry for the level's frame count, turning by the mouse rule.
PlayInput DemoInput(int32_t demoIndex);

// Steps 1 to 14 of a frame of play with this frame's input (read from the
// devices, or replayed in their place): death and respawn, the ship and the
// view, satellites, the power-up, hunter waves and the whole world's update.
void UpdatePlay(const PlayInput& in);

// How the drawing step of a frame ended.
enum class LevelFlow { Playing, AllLevelsCleared };

// Step 16: the playfield picture of the frame, with the ship, the captions
// and the level flow (which starts the next level), and the frame's sounds.
// After the last level it empties every list but the player's shots and
// stops all sounds before serving the frame's requests; the caller then
// changes to the closing sequence.
LevelFlow DrawPlay(bool demonstration);
