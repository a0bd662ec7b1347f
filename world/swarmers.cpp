//-----------------------------------------------------------------------------
// Swarmers: every so often choose a target velocity towards the ship, with a
// random error from AimJitter, and step towards it in between.
//
// Near the screen a hunter dives at the ship at 5.25 pixels per frame and a
// plain or ring swarmer at 3; far off screen they head back towards it at 6.5
// and 5.5. The hunters share hunterFireTimer: it counts down once per hunter
// that retargets near the screen, and when it is 0 the first such hunter in
// list order fires and reloads it.
//-----------------------------------------------------------------------------
#include "world/enemies.h"

#include <algorithm>

#include "world/tables.h"
#include "world/world.h"

namespace {

constexpr int32_t kTopY = -0x400;              // swarmers may rise 4 pixels above the band
constexpr int32_t kBottomY = 0xDC00;           // ... and sink 4 below it
constexpr int32_t kHunterPeriod = 16;          // frames between a hunter's target choices
constexpr int32_t kHunterNearLeft = -0x8000;   // hunters aim and fire from -128 ...
constexpr int32_t kHunterNearRight = 0x18000;  // ... to 384 pixels
constexpr int32_t kHunterReturn = 0x680;       // speed back towards the screen from far away
constexpr int32_t kHunterStepX = 0x80;         // hunters turn faster across than up and down
constexpr int32_t kHunterStepY = 0x40;
constexpr int32_t kHunterReload = 8;           // reload of hunterFireTimer
constexpr int32_t kHunterBulletRow = 4;        // SpeedCircle row of hunter shots: 3.25 pixels per frame
constexpr int32_t kSwarmNearLeft = -0x2000;    // plain and ring swarmers aim from -32 ...
constexpr int32_t kSwarmNearRight = 0x12000;   // ... to 288 pixels
constexpr int32_t kSwarmReturn = 0x580;

int32_t NextJitter() {
  int32_t& cursor = world.levelSettings.tableCursor;
  cursor = (cursor + 1) & 2047;
  return AimJitter[cursor];
}

// A hunter near the screen counts the shared fire timer down, or fires if it
// has run out, before it takes its new target velocity.
void RetargetHunter(Swarmer& s) {
  LevelSettings& ls = world.levelSettings;
  s.retargetTimer = kHunterPeriod;
  const bool near = kHunterNearLeft < s.x && s.x < kHunterNearRight;
  const int32_t aim = AimAtShip(s.x, s.y);
  if (near) {
    if (ls.hunterFireTimer == 0) {
      world.sound.sfxEnemyFire = 1;
      ls.hunterFireTimer = kHunterReload;
      const int32_t* v = SpeedCircle[kHunterBulletRow][aim];
      AddEnemyBullet(s.x + 0x200, s.y + 0x300, v[0], v[1]);
    } else {
      ls.hunterFireTimer -= 1;
    }
  }
  const int32_t jitter = NextJitter();
  if (near) {
    const int32_t* v = HunterCircle[(aim + jitter) & 255];
    s.targetVX = v[0];
    s.targetVY = v[1];
  } else {
    s.targetVX = s.x < 1 ? kHunterReturn : -kHunterReturn;  // targetVY is kept
  }
}

void RetargetSwarmer(Swarmer& s) {
  s.retargetTimer = world.levelSettings.swarmPeriod;
  const int32_t jitter = NextJitter();
  if (kSwarmNearLeft < s.x && s.x < kSwarmNearRight) {
    const int32_t* v = SwarmCircle[(AimAtShip(s.x, s.y) + jitter) & 255];
    s.targetVX = v[0];
    s.targetVY = v[1];
  } else {
    s.targetVX = s.x < 1 ? kSwarmReturn : -kSwarmReturn;  // targetVY is kept
  }
}

// A component steps only while it differs from its target. A step may
// overshoot; the component then swings around the target for good.
void Approach(int32_t& v, int32_t target, int32_t step) {
  if (v < target) {
    v += step;
  } else if (v > target) {
    v -= step;
  }
}

}  // namespace

int32_t AimAtShip(int32_t x, int32_t y) {
  const GameState& g = world.game;
  const int32_t dx = std::clamp(((g.playerX - x) >> 9) + 128, 0, 256);
  const int32_t dy = std::clamp(((g.playerY - y) >> 9) + 128, 0, 256);
  return AngleTable[dx][dy];
}

void UpdateSwarmers() {
  World& w = world;
  const int32_t scroll = w.game.scrollSpeed;
  const int32_t accel = w.levelSettings.swarmAccel;
    for (Swarmer* s = w.Swarmers.First(); s; s = w.Swarmers.Next()) {
    const bool hunter = s->swarmerType == HunterSwarmer;
    if (s->retargetTimer == 0) {
      // The frame of a new choice leaves the velocity alone.
      if (hunter) {
        RetargetHunter(*s);
      } else {
        RetargetSwarmer(*s);
      }
    } else {
      s->retargetTimer -= 1;
      Approach(s->vx, s->targetVX, hunter ? kHunterStepX : accel);
      Approach(s->vy, s->targetVY, hunter ? kHunterStepY : accel);
    }

    s->x = WrapWorldX(s->x + s->vx - scroll);
    s->y = std::clamp(s->y + s->vy, kTopY, kBottomY);
  }
}
