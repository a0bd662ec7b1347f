// The 128x16 light map of the wall tiles.
//
// Grey 128 leaves a tile's texture as it is; the bevel lines three pixels
// wide lighten (above 128) or darken (below) it. Read as eight 16x16 pieces:
// top-left corner, top edge, top-right corner, left edge, interior, right
// edge and the two inner corners. The values are the game's and fixed.
#include "tools/art/art.h"

namespace {

struct Span {
  int firstRow, lastRow;
  int firstColumn, lastColumn;
  uint8_t level;
};

constexpr uint8_t kLevel = 128;  // no change

constexpr Span kBevels[] = {
    // Rows 0..7: the vertical edges of the left edge, right edge and inner corners.
    {0, 7, 52, 52, 124}, {0, 7, 53, 53, 136}, {0, 7, 54, 54, 134},
    {0, 7, 89, 89, 124}, {0, 7, 90, 90, 120}, {0, 7, 91, 91, 116},
    {0, 7, 100, 100, 124}, {0, 7, 101, 101, 136}, {0, 7, 102, 102, 134},
    {0, 7, 121, 121, 124}, {0, 7, 122, 122, 120}, {0, 7, 123, 123, 116},
    // Row 8: the top edges begin.
    {8, 8, 4, 43, 124},
    {8, 8, 52, 52, 124}, {8, 8, 53, 53, 136}, {8, 8, 54, 54, 134},
    {8, 8, 89, 89, 124}, {8, 8, 90, 90, 120}, {8, 8, 91, 91, 116},
    {8, 8, 96, 100, 124}, {8, 8, 101, 101, 136}, {8, 8, 102, 102, 134},
    {8, 8, 121, 121, 124}, {8, 8, 122, 122, 120}, {8, 8, 123, 123, 116},
    {8, 8, 124, 127, 124},
    // Row 9.
    {9, 9, 4, 4, 124}, {9, 9, 5, 42, 136}, {9, 9, 43, 43, 116},
    {9, 9, 52, 52, 124}, {9, 9, 53, 53, 136}, {9, 9, 54, 54, 134},
    {9, 9, 89, 89, 124}, {9, 9, 90, 90, 120}, {9, 9, 91, 91, 116},
    {9, 9, 96, 101, 136}, {9, 9, 102, 102, 134},
    {9, 9, 121, 121, 124}, {9, 9, 122, 122, 120}, {9, 9, 123, 127, 136},
    // Row 10.
    {10, 10, 4, 4, 124}, {10, 10, 5, 5, 136}, {10, 10, 6, 41, 134}, {10, 10, 42, 42, 120},
    {10, 10, 43, 43, 116},
    {10, 10, 52, 52, 124}, {10, 10, 53, 53, 136}, {10, 10, 54, 54, 134},
    {10, 10, 89, 89, 124}, {10, 10, 90, 90, 120}, {10, 10, 91, 91, 116},
    {10, 10, 96, 102, 134},
    {10, 10, 121, 121, 124}, {10, 10, 122, 127, 134},
    // Rows 11..15: the vertical edges below the top edges.
    {11, 15, 4, 4, 124}, {11, 15, 5, 5, 136}, {11, 15, 6, 6, 134},
    {11, 15, 41, 41, 124}, {11, 15, 42, 42, 120}, {11, 15, 43, 43, 116},
    {11, 15, 52, 52, 124}, {11, 15, 53, 53, 136}, {11, 15, 54, 54, 134},
    {11, 15, 89, 89, 124}, {11, 15, 90, 90, 120}, {11, 15, 91, 91, 116},
};

}  // namespace

Image DrawLightMap() {
  Canvas canvas(128, 16, kLevel);
  for (const Span& span : kBevels) {
    for (int y = span.firstRow; y <= span.lastRow; ++y) {
      for (int x = span.firstColumn; x <= span.lastColumn; ++x) canvas.Set(x, y, span.level);
    }
  }
  // Each value shows as its own grey.
  Palette palette{};
  for (int i = 0; i < 256; ++i) palette[i] = Rgb{static_cast<uint8_t>(i), static_cast<uint8_t>(i), static_cast<uint8_t>(i)};
  return {canvas, palette};
}
