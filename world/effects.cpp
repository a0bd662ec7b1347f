//-----------------------------------------------------------------------------
// Effects: falling debris, hit sparks and explosions.
//
// Every pass starts from the front of its list and runs to its end, so
// effects added since the list's last pass are moved too.
//-----------------------------------------------------------------------------
#include "world/effects.h"

#include <cstdint>

#include "world/world.h"

namespace {

constexpr int32_t kGravity = 0x28;        // added to a piece's vy every frame
constexpr int32_t kDebrisFloor = 0xE000;  // 224 pixels: below it a piece is gone

// Scrolls one kind of flash and runs its animation; off screen (outside
// left..right) or at the end of its life it is deleted.
template <typename Record>
void UpdateFlashes(EntityList<Record>& list, int32_t left, int32_t right, int32_t life) {
  const int32_t scroll = world.game.scrollSpeed;
    for (Record* f = list.First(); f; f = list.Next()) {
    f->x -= scroll;
    if (f->x < left || f->x > right) {
      list.DeleteCurrent();
      continue;
    }
    f->frame += 1;
    if (f->frame == life) list.DeleteCurrent();
  }
}

}  // namespace

void UpdateDebris() {
  const int32_t scroll = world.game.scrollSpeed;
  EntityList<DebrisPiece>& debris = world.Debris;
    for (DebrisPiece* d = debris.First(); d; d = debris.Next()) {
    d->vy += kGravity;
    d->x = d->x + d->vx - scroll;
    d->y += d->vy;
    if (d->y > kDebrisFloor) debris.DeleteCurrent();
  }
}

void UpdateSparksAndExplosions() {
  UpdateFlashes(world.Sparks, -0x800, 0x10000, 8);
  UpdateFlashes(world.Explosions, -0x1000, 0x10000, 16);
}
