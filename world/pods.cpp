//-----------------------------------------------------------------------------
// Pods: drift at 144 units (0.5625 pixels) per frame on a random walk, turning
// by up to 24/256 of a turn either way each frame, one draw per pod.
//-----------------------------------------------------------------------------
#include "world/enemies.h"

#include <algorithm>

#include "levels/random.h"
#include "world/tables.h"
#include "world/world.h"

namespace {

constexpr int32_t kTopY = 0;         // pods keep to the ship's band
constexpr int32_t kBottomY = 0xD800;
constexpr int32_t kMaxTurn = 24;

}  // namespace

void UpdatePods() {
  World& w = world;
  const int32_t scroll = w.game.scrollSpeed;
    for (Pod* p = w.Pods.First(); p; p = w.Pods.Next()) {
    p->heading = (p->heading + Random(2 * kMaxTurn) - kMaxTurn) & 255;
    const int32_t* v = SpeedCircle[0][p->heading];  // a quarter of the slowest circle
    p->x = WrapWorldX(p->x - scroll + (v[0] >> 2));
    p->y = std::clamp(p->y + (v[1] >> 2), kTopY, kBottomY);
  }
}
