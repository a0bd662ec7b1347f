#include "world/landscape.h"

#include "levels/level_generation.h"
#include "render/display.h"

namespace {

constexpr int kFarStrip = 110;  // sprites 110..117: the far layer, 64x208 each
constexpr int kMidTop = 136;    // top of MidMap's first row on the playfield
constexpr int kNearTop = 160;   // top of NearMap's first row

}  // namespace

void DrawLandscape(int32_t worldX) {
  const int32_t w = worldX;
  // Far layer: nine 64-pixel panels; the eight strips repeat every 512 pixels.
  for (int i = 0; i <= 8; ++i) {
    BlitKeyed(kFarStrip + ((i + (w >> 16)) & 7), 64 * i - ((w >> 10) & 63), 0);
  }
  // Middle layer: 64 columns of 16 pixels, twice round the world.
  for (int c = 0; c <= 16; ++c) {
    const int32_t* column = MidMap[(c + (w >> 13)) & 63];
    for (int r = 0; r < 5; ++r) {
      if (column[r] != 0) BlitKeyed(column[r], 16 * c - ((w >> 9) & 15), kMidTop + 16 * r);
    }
  }
  // Near layer: 128 columns of 16 pixels, once round the world.
  for (int c = 0; c <= 16; ++c) {
    const int32_t* column = NearMap[(c + (w >> 12)) & 127];
    for (int r = 0; r < 4; ++r) {
      if (column[r] != 0) BlitKeyed(column[r], 16 * c - ((w >> 8) & 15), kNearTop + 16 * r);
    }
  }
}
