// The debris: eight fruits of 12x12 (sprites 90..97), each drawn from shaded
// bodies with stems, leaves and seeds painted over them, then outlined.
#include <cmath>

#include "tools/art/atlas.h"

namespace {

// A ball (or an ellipse, squashed by sy) lit from the top left, from the
// ramp's shade 1 on the far side to 4 under the light.
void Ball(const Pen& pen, double cx, double cy, double r, const Ramp& ramp, double sy = 1.0) {
  for (int y = 0; y < pen.height; ++y) {
    for (int x = 0; x < pen.width; ++x) {
      const double dx = (x + 0.5 - cx) / r;
      const double dy = (y + 0.5 - cy) / (r * sy);
      if (dx * dx + dy * dy > 1.0) continue;
      const double light = std::hypot(dx + 0.45, dy + 0.45);
      const int shade = light < 0.4 ? 4 : light < 0.85 ? 3 : light < 1.3 ? 2 : 1;
      pen.Pixel(x, y, ramp[shade]);
    }
  }
}

// Stems, leaves and seeds painted over the bodies.
const Legend kDetails{{'o', Shade},   {'g', Green1},  {'G', Green2}, {'L', Green3}, {'b', Brown1},
                      {'B', Brown2},  {'y', Yellow3}, {'w', White},  {'k', Shade},  {'r', Red2},
                      {'R', Red3},    {'P', Red4},    {'m', Green4}, {'d', Orange1}, {'c', Brown3}};

void Cherries(const Pen& pen) {
  Ball(pen, 3.3, 8.4, 3.0, kReds);
  Ball(pen, 8.6, 8.8, 2.9, kReds);
  Paint(pen, 0, 0,
        {"........GL..",
         ".......gGLL.",
         "......gg.GG.",
         ".....g..g...",
         "....g...g...",
         "...g.....g..",
         "............",
         "..w.....w...",
         "............"},
        kDetails);
}

void Grapes(const Pen& pen) {
  const double berries[6][2] = {{3.2, 4.6}, {6.0, 4.3}, {8.8, 4.6}, {4.6, 7.1}, {7.4, 7.1}, {6.0, 9.6}};
  for (const auto& b : berries) Ball(pen, b[0], b[1], 1.9, kPurples);
  Paint(pen, 0, 0,
        {".....b.LL...",
         ".....bGLG...",
         "............",
         "..w..w..w...",
         "............",
         "....w..w....",
         "............",
         ".....w......"},
        kDetails);
}

void Lemon(const Pen& pen) {
  Ball(pen, 6.0, 6.5, 5.0, kYellows, 0.72);
  Paint(pen, 0, 0,
        {"............",
         "............",
         "............",
         "............",
         "...ww.......",
         "..w.........",
         "y..........d",
         "............"},
        kDetails);
}

void Apple(const Pen& pen) {
  Ball(pen, 6.0, 7.0, 4.8, kReds);
  Paint(pen, 0, 0,
        {".....b.LL...",
         "......bGLG..",
         "....k.b.....",
         "...wP.......",
         "...P........"},
        kDetails);
}

void Orange(const Pen& pen) {
  Ball(pen, 6.0, 6.6, 5.0, kOranges);
  Paint(pen, 0, 0,
        {"......GL....",
         ".....gGLL...",
         "............",
         "...ww.......",
         "..w.....d...",
         "......d.....",
         "..........d.",
         "....d.......",
         "........d...",
         "..d.........",
         "......d....."},
        kDetails);
}

void Strawberry(const Pen& pen) {
  // A rounded wedge, widest near the top.
  for (int y = 2; y < 12; ++y) {
    const double half = y < 4 ? 4.2 + (y - 2) * 0.6 : 5.4 - (y - 4) * 0.68;
    for (int x = 0; x < 12; ++x) {
      const double dx = x + 0.5 - 6.0;
      if (std::fabs(dx) > half) continue;
      const int shade = dx < -half * 0.3 && y < 8 ? 3 : dx > half * 0.45 || y > 9 ? 1 : 2;
      pen.Pixel(x, y, kReds[shade]);
    }
  }
  Paint(pen, 0, 0,
        {".....gL.....",
         "..GLLGLLGL..",
         "...gGLGLg...",
         "..w.y...y...",
         ".......y..y.",
         "..y..y......",
         "........y...",
         "....y.y.....",
         "......y.....",
         "............"},
        kDetails);
}

void Melon(const Pen& pen) {
  // A slice of watermelon: green rind round the bottom, red flesh, pips.
  pen.Disc(6.0, 3.0, 6.0, Green1);
  pen.Disc(6.0, 3.0, 5.0, Green4);
  pen.Disc(6.0, 3.0, 4.2, Red2);
  pen.Rect(0, 0, 12, 3, Key);
  pen.HLine(1, 3, 10, Red3);
  pen.Pixel(0, 3, Green2);
  pen.Pixel(11, 3, Green2);
  Paint(pen, 0, 0,
        {"............",
         "............",
         "............",
         "............",
         "...k..k..k..",
         ".....k..k...",
         "....k.......",
         ".........g..",
         "..g........."},
        kDetails);
}

void Pineapple(const Pen& pen) {
  Ball(pen, 6.0, 8.0, 3.9, kYellows, 1.05);
  // Criss-cross of the scales.
  for (int y = 4; y < 12; ++y) {
    for (int x = 0; x < 12; ++x) {
      if (pen.At(x, y) == Key) continue;
      if ((x + y) % 3 == 0 || (x - y + 30) % 3 == 0) pen.Pixel(x, y, (x + y) % 2 == 0 ? Orange1 : Brown2);
    }
  }
  Paint(pen, 0, 0,
        {"...L..m.L...",
         "....LGmGL...",
         "..GgLGLgLG..",
         "....gGgGg...",
         "...w........",
         "..w........."},
        kDetails);
}

}  // namespace

void DrawFruit(Canvas& atlas) {
  void (*const fruits[8])(const Pen&) = {Cherries, Grapes, Lemon, Apple, Orange, Strawberry, Melon, Pineapple};
  for (int i = 0; i < 8; ++i) {
    const Pen pen = CellPen(atlas, 90 + i);
    fruits[i](pen);
    pen.Outline(Key, Shade, false);
  }
}
