//-----------------------------------------------------------------------------
// Level generation.
//
// The far layer's heights come from midpoint displacement over a grid that
// wraps every 512 columns; the middle and near layers are ground lines of
// plateaus joined by two-column steps. Both are drawn from the random
// generator in a fixed order, so the draws below must stay exactly as they
// are: 131,076 for the heights and 115 for the tile maps.
//-----------------------------------------------------------------------------
#include "levels/level_generation.h"

#include <algorithm>

#include "levels/random.h"
#include "world/world.h"

int32_t HeightMap[512][257];
int32_t MidMap[64][5];
int32_t NearMap[128][4];

int32_t LevelStyle() { return (world.game.level - 1) & 3; }

void BuildHeightMap() {
  auto& H = HeightMap;
  for (int x = 0; x < 512; x += 128) {
    for (int y = 0; y <= 256; y += 128) H[x][y] = Random(511);
  }
  // Seven passes: squares of 128 down to 2, amplitudes 168 down to 0. Row 256
  // is read at y + S = 256 but, apart from the seeds, never written: those
  // cells stay 0 and pull the bottom rows down.
  int32_t size = 128;
  int32_t decrement = 56;
  int32_t amplitude = 224;
  while (size != 1) {
    amplitude -= decrement;
    const int32_t half = size / 2;
    for (int y = 0; y <= 255; y += size) {
      for (int x = half; x <= 511; x += size) {
        const int xl = x - half;
        const int xr = (x + half) & 511;
        int32_t average = (H[xl][y] + H[xr][y]) / 2;
        H[x][y] = average + Random(amplitude) - amplitude / 2;
        average = (H[xl][y] + H[xl][y + size]) / 2;
        H[xl][y + half] = average + Random(amplitude) - amplitude / 2;
        average = (H[xl][y] + H[xr][y] + H[xl][y + size] + H[xr][y + size]) / 4;
        H[x][y + half] = average + Random(amplitude) - amplitude / 2;
      }
    }
    size /= 2;
    decrement -= 8;
  }
}

namespace {

// The row of the top cell of a plateau column.
int TopRow(const int32_t* column, int rows, int32_t top) {
  for (int r = 0; r < rows; ++r) {
    if (column[r] == top) return r;
  }
  return rows - 1;
}

// Wall tiles of one layer, as the sprite numbers of its eight bevel pieces.
struct TileSet {
  int32_t topLeft, top, topRight, left, plain, right, innerUp, innerDown;
};

constexpr TileSet kMidTiles = {1, 2, 3, 4, 5, 6, 7, 8};
constexpr TileSet kNearTiles = {9, 10, 11, 12, 13, 14, 15, 16};

// The two columns of a dip between plateaus whose tops are in rows a and b,
// with its floor in row t (t >= a, b): the right-hand wall of the plateau
// before, then the left-hand wall of the plateau after. Cells above a wall's
// top are left empty.
void Step(int32_t* down, int32_t* up, int rows, int a, int b, int t, const TileSet& tiles) {
  for (int c = rows - 1; c >= 0; --c) {
    if (c > t) {
      down[c] = tiles.plain;
    } else if (c == t) {
      down[c] = c > a ? tiles.innerDown : tiles.top;
    } else if (c > a) {
      down[c] = tiles.right;
    } else if (c == a) {
      down[c] = tiles.topRight;
    }
  }
  for (int c = rows - 1; c >= 0; --c) {
    if (c > t) {
      up[c] = tiles.plain;
    } else if (c == t) {
      up[c] = c > b ? tiles.innerUp : tiles.top;
    } else if (c > b) {
      up[c] = tiles.left;
    } else if (c == b) {
      up[c] = tiles.topLeft;
    }
  }
}

void Plateau(int32_t* column, int rows, int top, const TileSet& tiles) {
  column[top] = tiles.top;
  for (int r = top + 1; r < rows; ++r) column[r] = tiles.plain;
}

}  // namespace

void BuildTileMaps() {
  std::fill(&MidMap[0][0], &MidMap[0][0] + 64 * 5, 0);
  std::fill(&NearMap[0][0], &NearMap[0][0] + 128 * 4, 0);

  // Middle layer: groups of four columns, a two-column plateau and a dip.
  for (int g = 0; g < 64; g += 4) {
    const int a = Random(3);
    Plateau(MidMap[g], 5, a, kMidTiles);
    Plateau(MidMap[g + 1], 5, a, kMidTiles);
  }
  for (int g = 0; g < 64; g += 4) {
    const int a = TopRow(MidMap[g], 5, kMidTiles.top);
    const int b = TopRow(MidMap[(g + 4) & 63], 5, kMidTiles.top);
    const int m = std::max(a, b);
    const int t = m + Random(4 - m);
    Step(MidMap[g + 2], MidMap[g + 3], 5, a, b, t, kMidTiles);
  }

  // Near layer: groups of three columns, a one-column plateau and a dip.
  // Where the layer wraps (columns 126, 127, 0) the ground is at its lowest.
  for (int k = 3; k <= 123; k += 3) Plateau(NearMap[k], 4, Random(3), kNearTiles);
  NearMap[0][3] = kNearTiles.top;
  NearMap[126][3] = kNearTiles.top;
  NearMap[127][3] = kNearTiles.top;
  for (int g = 0; g <= 123; g += 3) {
    const int a = TopRow(NearMap[g], 4, kNearTiles.top);
    const int b = TopRow(NearMap[g + 3], 4, kNearTiles.top);
    const int m = std::max(a, b);
    const int t = m + Random(3 - m);
    Step(NearMap[g + 1], NearMap[g + 2], 4, a, b, t, kNearTiles);
  }
}
