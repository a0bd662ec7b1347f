//-----------------------------------------------------------------------------
// Carriers: cruise, bob, and launch a creature every launchInterval frames
// while in the upper half of the bob and near the screen.
//
// StartLevel places each carrier with launchCountdown 1, so it launches on
// the first frame of its first launch half near the screen. Its y is only
// set by its first update.
//-----------------------------------------------------------------------------
#include "world/enemies.h"

#include "world/tables.h"
#include "world/world.h"

namespace {

constexpr int32_t kPhaseStep = 3;           // one bob every 256/3 frames
constexpr int32_t kLaunchHalf = 128;        // phase bit set: above the bob's centre
constexpr int32_t kLaunchLeft = -0xB000;    // launches from 176 pixels left of the screen ...
constexpr int32_t kLaunchRight = 0x18000;   // ... to 128 pixels right of it
constexpr int32_t kHatchX = 0x1000;         // creatures leave 16 pixels in from the carrier's left
constexpr int32_t kLaunchVY = 0x180;        // they drop away at this speed, also their first maxVY
constexpr int32_t kFirstSteer = 16;         // frames before a new creature's first steering decision

// A new creature leaves the hatch with the carrier's speed, heading the way
// the carrier goes (a carrier standing still counts as heading left) and
// downwards, aiming for the point it starts from.
void LaunchCreature(const Carrier& carrier) {
  const int32_t type = carrier.creatureType;
  Creature& c = world.Creatures.Add();
  c.x = carrier.x + kHatchX;
  c.y = carrier.y;
  c.vx = carrier.vx;
  c.vy = kLaunchVY;
  c.ax = CreatureTypes[type][0];
  c.ay = CreatureTypes[type][1];
  c.steerPeriod = CreatureTypes[type][2];
  c.creatureType = type;
  c.maxVY = kLaunchVY;
  if (carrier.vx < 1) {
    c.dirX = 0;
    c.maxVX = -carrier.vx;
  } else {
    c.dirX = 1;
    c.maxVX = carrier.vx;
  }
  c.dirY = 1;
  c.targetX = c.x;
  c.targetY = c.y;
  c.steerTimer = kFirstSteer;
}

}  // namespace

// The bob is 28 pixels each way about a centre 4 pixels below baseY (the
// orbit table's y column carries a 2-pixel offset, doubled here).
void UpdateCarriers() {
  World& w = world;
  const int32_t scroll = w.game.scrollSpeed;
    for (Carrier* c = w.Carriers.First(); c; c = w.Carriers.Next()) {
    c->x = WrapWorldX(c->x + c->vx - scroll);
    c->phase = (c->phase + kPhaseStep) & 255;
    c->y = c->baseY + 2 * OrbitTable[c->phase][1];

    // The countdown only runs in the launch half and near the screen.
    if ((c->phase & kLaunchHalf) == 0) continue;
    if (!(kLaunchLeft < c->x && c->x < kLaunchRight)) continue;
    c->launchCountdown -= 1;
    if (c->launchCountdown != 0) continue;
    w.sound.sfxLaunch = 1;
    c->launchCountdown = c->launchInterval;
    LaunchCreature(*c);
  }
}
