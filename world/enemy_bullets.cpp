//-----------------------------------------------------------------------------
// Enemy bullets: fired by creatures and hunters and in rings by bursts; they
// fly straight, scroll with the world and vanish outside the area round the
// screen. A bullet that hits the ship stays.
//-----------------------------------------------------------------------------
#include "world/enemies.h"

#include "world/tables.h"
#include "world/world.h"

namespace {

constexpr int32_t kAreaLeft = -0x4000;   // -64 pixels
constexpr int32_t kAreaRight = 0x14000;  // 320 pixels
constexpr int32_t kAreaTop = -0x400;
constexpr int32_t kAreaBottom = 0xE000;  // 224 pixels, the foot of the playfield

// A ring fires `angles` directions evenly from angle 0, each with one bullet
// per SpeedCircle row from firstRow to lastRow (pairs in the last two).
struct RingPattern {
  int32_t angles;
  int32_t firstRow;
  int32_t lastRow;
  int32_t angleStep;
};

constexpr RingPattern kRingPatterns[9] = {
    {0, 0, 0, 0},     // 0: no ring
    {8, 0, 0, 32},    // 1
    {8, 1, 1, 32},    // 2
    {8, 2, 2, 32},    // 3
    {12, 2, 2, 21},   // 4
    {16, 1, 1, 16},   // 5
    {16, 2, 2, 16},   // 6
    {12, 1, 2, 21},   // 7: 24 bullets, a slow and a fast one at each angle
    {16, 1, 2, 16},   // 8: 32 bullets
};

}  // namespace

void AddEnemyBullet(int32_t x, int32_t y, int32_t vx, int32_t vy) {
  EnemyBullet& b = world.EnemyBullets.Add();
  b.x = x;
  b.y = y;
  b.vx = vx;
  b.vy = vy;
}

void FireBulletRing(int32_t pattern, int32_t x, int32_t y) {
  if (pattern < 1 || pattern > 8) return;
  const RingPattern& ring = kRingPatterns[pattern];
  for (int32_t i = 0; i < ring.angles; ++i) {
    const int32_t angle = i * ring.angleStep;
    for (int32_t row = ring.firstRow; row <= ring.lastRow; ++row) {
      AddEnemyBullet(x, y, SpeedCircle[row][angle][0], SpeedCircle[row][angle][1]);
    }
  }
}

// Bullets are not wrapped: they never live long enough to go round.
void UpdateEnemyBullets() {
  World& w = world;
  const int32_t scroll = w.game.scrollSpeed;
    for (EnemyBullet* b = w.EnemyBullets.First(); b; b = w.EnemyBullets.Next()) {
    b->x = b->x + b->vx - scroll;
    b->y += b->vy;
    if (b->x < kAreaLeft || b->x > kAreaRight || b->y < kAreaTop || b->y > kAreaBottom) {
      w.EnemyBullets.DeleteCurrent();
    }
  }
}
