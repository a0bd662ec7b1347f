// The recording bot's hand on the mouse: it turns an intention (a goal held
// for a while) into one frame of input at a time, as a player would move the
// virtual stick: smoothly, towards the velocity the goal asks for, firing in
// bursts when an enemy is in line.
//
// A goal names its target by kind and by where it was last seen; each frame
// the pilot finds the target again near where it should have moved to, and
// when it is gone (shot, collected, fallen away) picks a new goal itself.
// Everything is integer arithmetic on the world as it stands before the
// frame, so the same world and pilot always give the same input.
#pragma once

#include <cstdint>

#include "input/game_input.h"

enum class GoalKind : int32_t {
  Auto,            // choose a goal now
  Collect,         // fly through a piece of debris
  PowerUp,         // fly through the power-up
  AttackCreature,  // line up on an enemy at a distance, facing it, and fire
  AttackSwarmer,
  AttackPod,
  AttackCarrier,
  Dodge,           // hold the stick in one direction for a few frames
};

struct Goal {
  GoalKind kind = GoalKind::Auto;
  int32_t x = 0;       // the target's last known position (units, screen-relative) ...
  int32_t y = 0;
  int32_t seenAt = 0;  // ... in the world before the frame of this levelFrame
  int32_t stickVX = 0;  // Dodge: the stick held
  int32_t stickVY = 0;
  int32_t frames = 0;   // Dodge: frames left before a new goal is chosen

  bool operator==(const Goal&) const = default;
};

// One axis of the stick: where it is, where the hand is taking it, and how
// fast it moves. The hand re-aims only for a clear change of wish and moves
// in smooth strokes that speed up and slow down.
struct StickAxis {
  int32_t at = 0;    // the recorded value, units per frame
  int32_t aim = 0;   // where the stroke ends
  int32_t rate = 0;  // change per frame
};

struct Pilot {
  Goal goal;
  StickAxis x, y;
  int32_t fire = 0;        // the button, 0/1
  int32_t fireFrames = 0;  // frames the button has been in its present state
};

// The stick's reach, the range of a recorded frame.
constexpr int32_t kStickX = 1092;
constexpr int32_t kStickY = 819;

// This frame's input for the world as it stands; moves the pilot on.
PlayInput Steer(Pilot& pilot);

// Whether the ship takes input in the frame about to run (it does not while
// it is away or gliding in at the start of a level).
bool ShipTakesInput();

// Targets the recorder offers as goals: the n nearest of a kind, nearest
// first; returns how many were written.
int32_t NearestTargets(GoalKind kind, Goal* out, int32_t n);

// Finds a goal's target in the world as it stands and moves the goal to it;
// false when it is gone. Dodges are always there.
bool FindTarget(Goal& goal);

// A goal aimed at the same target as another seen in the same frame.
bool SameTarget(const Goal& a, const Goal& b);
