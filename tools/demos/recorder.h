// The recording bot: plays a demonstration through the game's own replay and
// writes what it played into demoInput.
//
// Every few frames it stands still in time: it takes a snapshot of the whole
// game, tries each goal worth trying by playing on from the snapshot for a
// second or so, and keeps the goal that scores best without losing the ship
// or clearing the level. Each frame it plays, trial or kept, is first written
// into the recording and then read back through DemoInput, so what it sees is
// what the replay will do. When every goal loses the ship it goes back one
// choice and takes the next best there.
//
// The game must be started (StartUp on the headless platform) and on the
// title; a recording leaves it on the title again.
#pragma once

#include <cstdint>

// What a recording shows, from the game's own replay of it.
struct DemoFigures {
  int32_t startScore = 0;
  int32_t score = 0;
  int32_t startLives = 0;
  int32_t lives = 0;
  int32_t pickups = 0;       // debris collected
  int32_t powerUps = 0;      // power-ups collected
  int32_t kills = 0;         // creatures, swarmers, pods and carriers shot
  int32_t carriers = 0;      // carriers destroyed
  int32_t turns = 0;         // changes of facing
  int32_t inputChanges = 0;  // frames whose recorded input differs from the frame before
  int32_t hits = 0;          // frames in which the ship was hit
  int32_t frames = 0;        // frames played before the title came back
  int32_t clearTimer = 0;    // the level-clear count at the end, 0 if never cleared
  bool backToTitle = false;  // the demonstration ended on the title at its last frame
};

// How the bot weighs its choices, in thousandths of a point. Small changes
// of weight lead to quite different games, so the generator plays each
// demonstration in a few styles and keeps the best.
struct DemoStyle {
  int32_t keepGoal;   // head start of the goal being followed: purpose
  int32_t dodgeCost;  // what a dodge must win over going for a target
};

// Records demonstration d (0..2) into demoInput[d]; false when the bot found
// no way through (it then says why on stderr). verbose: each choice on stderr.
bool RecordDemonstration(int32_t d, const DemoStyle& style, bool verbose);

// Plays demonstration d from the title through PlayFrame, as the idle title
// would, with the pointer at the centre, and counts what it shows.
DemoFigures ReplayDemonstration(int32_t d);
