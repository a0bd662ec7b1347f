//-----------------------------------------------------------------------------
// Creatures: steer, move, and share one fire timer.
//
// Even types home in on the ship: every steerPeriod frames they take its
// position as their target and draw new speed limits, and in between they
// accelerate towards that target along each axis. Odd types wander between
// random points: once their first 16 frames of coasting are over they steer
// every frame, drawing a new point on an axis whenever they have passed the
// old one. Both kinds step tableCursor once per draw from the tables.
//
// creatureFireTimer counts down once per creature on screen per frame, so it
// runs faster the more creatures are visible; when it is 0 the first creature
// on screen in list order fires and reloads it.
//-----------------------------------------------------------------------------
#include "world/enemies.h"

#include <algorithm>

#include "world/tables.h"
#include "world/world.h"

namespace {

constexpr int32_t kTopY = -0x800;         // creatures may rise 8 pixels above the band
constexpr int32_t kBottomY = 0xD800;
constexpr int32_t kScreenLeft = -0x1000;  // on screen: -16 < x < 256 pixels
constexpr int32_t kScreenRight = 0x10000;
constexpr int32_t kMuzzle = 0x600;        // bullets leave 6 pixels right of and below x, y
constexpr int32_t kFanStep = 8;           // angle between the bullets of a fan

int32_t NextTableEntry() {
  int32_t& cursor = world.levelSettings.tableCursor;
  cursor = (cursor + 1) & 2047;
  return cursor;
}

// One axis of acceleration: towards + when dir is 1, towards - when it is 0,
// never faster than limit.
void Accelerate(int32_t& v, int32_t accel, int32_t dir, int32_t limit) {
  if (dir != 0) {
    v += accel;
    if (v > limit) v = limit;
  } else {
    v -= accel;
    if (v < -limit) v = -limit;
  }
}

// One axis of wandering. A creature that has passed its target (moving the
// way dir says) draws the next one from targets and a new limit from limits;
// the acceleration of that frame still follows the old direction.
void Wander(int32_t position, int32_t& v, int32_t accel, int32_t& dir, int32_t& target,
            int32_t& limit, const int32_t* targets, const int32_t* limits) {
  const int32_t heading = dir;
  const bool passed = heading == 0 ? position < target : target < position;
  if (passed) {
    target = targets[world.levelSettings.tableCursor];
    dir = position < target ? 1 : 0;
    limit = limits[NextTableEntry()];
  }
  Accelerate(v, accel, heading, limit);
}

void Steer(Creature& c) {
  const GameState& g = world.game;
  const int32_t type = c.creatureType;
  const bool homing = (type & 1) == 0;
  const int32_t* maxVXs = CreatureSpeeds[type][0];
  const int32_t* maxVYs = CreatureSpeeds[type][1];

  if (c.steerTimer == 0 && homing) {
    // A new decision; the velocity is left alone this frame.
    c.targetX = g.playerX;
    c.dirX = c.x < c.targetX ? 1 : 0;
    c.maxVX = maxVXs[NextTableEntry()];
    c.targetY = g.playerY;
    c.dirY = c.y < c.targetY ? 1 : 0;
    c.maxVY = maxVYs[NextTableEntry()];
    c.steerTimer = c.steerPeriod;
  } else if (c.steerTimer == 0) {
    Wander(c.x, c.vx, c.ax, c.dirX, c.targetX, c.maxVX, WanderX, maxVXs);
    Wander(c.y, c.vy, c.ay, c.dirY, c.targetY, c.maxVY, WanderY, maxVYs);
  } else if (homing) {
    Accelerate(c.vx, c.ax, c.dirX, c.maxVX);
    Accelerate(c.vy, c.ay, c.dirY, c.maxVY);
    c.steerTimer -= 1;
  } else {
    c.steerTimer -= 1;  // a wanderer coasts until its first decision
  }
}

// Aimed at the ship from the creature's x, y (no clamp is needed on screen);
// types 5..8 add a bullet either side, types 9..12 another pair outside those.
void FireFan(const Creature& c) {
  const GameState& g = world.game;
  const int32_t(*speeds)[2] = SpeedCircle[world.levelSettings.bulletSpeedRow];
  const int32_t a = AngleTable[((g.playerX - c.x) >> 9) + 128][((g.playerY - c.y) >> 9) + 128];
  const int32_t x = c.x + kMuzzle;
  const int32_t y = c.y + kMuzzle;
  auto fire = [&](int32_t angle) { AddEnemyBullet(x, y, speeds[angle][0], speeds[angle][1]); };
  fire(a);
  if (c.creatureType > 4) {
    fire((a - kFanStep) & 255);
    fire((a + kFanStep) & 255);
  }
  if (c.creatureType > 8) {
    fire((a - 2 * kFanStep) & 255);
    fire((a + 2 * kFanStep) & 255);
  }
}

}  // namespace

void UpdateCreatures() {
  World& w = world;
  const int32_t scroll = w.game.scrollSpeed;
  LevelSettings& s = w.levelSettings;
    for (Creature* c = w.Creatures.First(); c; c = w.Creatures.Next()) {
    Steer(*c);

    c->x = c->x + c->vx - scroll;
    c->targetX -= scroll;  // the target is a point of the world
    c->y = std::clamp(c->y + c->vy, kTopY, kBottomY);  // vy keeps its value

    if (kScreenLeft < c->x && c->x < kScreenRight) {
      if (s.creatureFireTimer == 0) {
        w.sound.sfxEnemyFire = 1;
        s.creatureFireTimer = s.creatureFireInterval;
        FireFan(*c);
      } else {
        s.creatureFireTimer -= 1;
      }
    } else {
      // Off screen only; the target goes round the world with the creature.
      const int32_t wrapped = WrapWorldX(c->x);
      c->targetX += wrapped - c->x;
      c->x = wrapped;
    }
  }
}
