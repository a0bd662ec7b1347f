// The enemies: carriers, creatures, swarmers and pods.
#include <cmath>

#include "tools/art/atlas.h"

//-----------------------------------------------------------------------------
// Carriers: 48x16 motherships, one hull colour per damage stage (sprites
// 32..35: cyan, green, yellow, purple) and two pictures per colour for the
// two halves of the bob (36..39): the rim lights chase round and the
// thrusters burn long in one half, short in the other.
//-----------------------------------------------------------------------------

namespace {

void DrawCarrier(const Pen& pen, const Ramp& hull, bool otherHalf) {
  // The dome: grey metal with a band of windows.
  for (int y = 1; y < 6; ++y) {
    for (int x = 0; x < 48; ++x) {
      const double dx = (x + 0.5 - 24.0) / 9.5;
      const double dy = (y + 0.5 - 6.0) / 5.0;
      if (dx * dx + dy * dy > 1.0) continue;
      const int shade = y < 3 ? 4 : y < 4 ? 3 : 2;
      pen.Pixel(x, y, kGreys[shade - (dx > 0.55 ? 1 : 0)]);
    }
  }
  for (int x = 17; x <= 30; x += 3) pen.Rect(x, 4, 2, 1, Cyan3);
  // The hull: a flat disc lit from above.
  for (int y = 5; y < 12; ++y) {
    for (int x = 0; x < 48; ++x) {
      const double dx = (x + 0.5 - 24.0) / 23.0;
      const double dy = (y + 0.5 - 8.5) / 3.6;
      if (dx * dx + dy * dy > 1.0) continue;
      const int shade = y == 5 ? 4 : y == 6 ? 3 : y <= 8 ? 2 : y <= 9 ? 1 : 0;
      pen.Pixel(x, y, hull[shade]);
    }
  }
  // A seam under the rim, and the rim lights: every other one lit per half.
  pen.HLine(3, 9, 42, hull[0]);
  for (int i = 0; i < 7; ++i) {
    const int x = 5 + i * 6;
    const bool lit = (i % 2 == 0) != otherHalf;
    pen.Rect(x, 8, 2, 1, lit ? uint8_t{White} : hull[1]);
    if (lit) pen.Rect(x, 9, 2, 1, Yellow3);
  }
  // Three thrusters under the hull and their flames.
  const int thrusters[3] = {9, 22, 35};
  for (int x : thrusters) {
    const int w = x == 22 ? 4 : 3;
    pen.Rect(x, 11, w, 1, Grey1);
    const int length = otherHalf ? 1 : 3;
    for (int j = 0; j < length; ++j) {
      const uint8_t flame = j == 0 ? Yellow4 : j == 1 ? Yellow2 : Orange2;
      const int inset = j == 2 ? 1 : 0;
      pen.Rect(x + inset, 12 + j, w - 2 * inset, 1, flame);
    }
  }
  pen.Outline(Key, Shade, false);
}

}  // namespace

//-----------------------------------------------------------------------------
// Creatures: twelve little beasts built of 2x2 blocks, in four colours.
// Each is an 8x6 block mask: '#' body, 'e' an eye.
//-----------------------------------------------------------------------------

namespace {

constexpr const char* kCreatureMasks[12][6] = {
    {"...##...", "..####..", ".#e##e#.", "########", "..#..#..", ".#.##.#."},  // squid
    {".#....#.", "..#..#..", ".#e##e#.", "########", "#.####.#", ".#....#."},  // crab
    {"..####..", ".######.", "##e##e##", "########", ".##..##.", "##....##"},  // octopus
    {"..####..", ".#e##e#.", ".######.", "..####..", ".#.##.#.", "#......#"},  // bug
    {"#......#", "##.##.##", "#e####e#", "########", ".######.", "..#..#.."},  // bat
    {"...##...", ".######.", "##e##e##", "########", "#.#..#.#", "#.#..#.#"},  // jelly
    {"########", "#e#..#e#", "########", ".#.##.#.", ".######.", "#.#..#.#"},  // robot
    {"..####..", ".##ee##.", "##e##e##", ".######.", "..#..#..", ".##..##."},  // owl
    {".##..##.", "########", "#e####e#", ".######.", "..####..", "...##..."},  // heart
    {"#.####.#", ".######.", "##e##e##", ".######.", "#.#..#.#", "........"},  // spider
    {"..#..#..", "...##...", ".######.", "##e##e##", "########", ".#.#.#.#"},  // antenna
    {"...###..", "..#e###.", "#######.", "########", ".######.", "..#..#.."},  // fish
};

const Ramp* const kCreatureRamps[4] = {&kPinks, &kGreens, &kOranges, &kBlues};

bool Solid(const char* const mask[6], int bx, int by) {
  return bx >= 0 && by >= 0 && bx < 8 && by < 6 && mask[by][bx] != '.';
}

void DrawCreature(const Pen& pen, const char* const mask[6], const Ramp& ramp) {
  for (int by = 0; by < 6; ++by) {
    for (int bx = 0; bx < 8; ++bx) {
      if (!Solid(mask, bx, by)) continue;
      if (mask[by][bx] == 'e') {
        pen.Rect(2 * bx, 2 * by, 2, 2, White);
        pen.Pixel(2 * bx + 1, 2 * by + 1, Shade);
        continue;
      }
      // Each block is lit on the sides the body does not cover.
      const bool top = !Solid(mask, bx, by - 1);
      const bool bottom = !Solid(mask, bx, by + 1);
      const bool left = !Solid(mask, bx - 1, by);
      const bool right = !Solid(mask, bx + 1, by);
      for (int py = 0; py < 2; ++py) {
        for (int px = 0; px < 2; ++px) {
          int shade = 2;
          if ((py == 0 && top) || (px == 0 && left)) shade = 3;
          if (py == 0 && px == 0 && top && left) shade = 4;
          if ((py == 1 && bottom) || (px == 1 && right)) shade = 1;
          pen.Pixel(2 * bx + px, 2 * by + py, ramp[shade]);
        }
      }
    }
  }
}

}  // namespace

//-----------------------------------------------------------------------------
// Swarmers: small faceted chips, red (hunter), green (plain), yellow (ring).
// Pods: grey spheres banded green, yellow or red, the mine's cross and the
// treasure's purple hexagon.
//-----------------------------------------------------------------------------

namespace {

void DrawSwarmer(const Pen& pen, const Ramp& ramp) {
  Paint(pen, 0, 0,
        {"..oooo..",
         ".o4432o.",
         "o443321o",
         "o433210o",
         "o332100o",
         ".o2100o.",
         "..oooo.."},
        Legend{{'o', Shade}, {'0', ramp[0]}, {'1', ramp[1]}, {'2', ramp[2]}, {'3', ramp[3]}, {'4', ramp[4]}});
}

void DrawBandedPod(const Pen& pen, const Ramp& band) {
  pen.Disc(7.5, 7.5, 6.9, Grey1);
  pen.Disc(7.0, 7.0, 5.9, Grey2);
  pen.Disc(6.2, 6.2, 4.0, Grey3);
  pen.Disc(5.2, 5.2, 1.8, Grey4);
  // The band glows across the middle.
  for (int y = 6; y <= 9; ++y) {
    for (int x = 0; x < 16; ++x) {
      if (pen.At(x, y) == Key) continue;
      const uint8_t ink = y == 6 ? band[4] : y == 9 ? band[1] : band[2 + (x < 8 ? 1 : 0)];
      pen.Pixel(x, y, ink);
    }
  }
  pen.Outline(Key, Shade, false);
}

// A cross of steel arms round a glowing red core.
void DrawMinePod(const Pen& pen) {
  const uint8_t shades[4] = {Grey4, Grey3, Grey2, Grey1};
  for (int i = 0; i < 4; ++i) {
    pen.Rect(6 + i, 1, 1, 14, shades[i]);
    pen.Rect(1, 6 + i, 14, 1, shades[i]);
  }
  for (int i = 0; i < 4; ++i) {  // darker caps at the arms' ends
    pen.Pixel(6 + i, 14, Grey0);
    pen.Pixel(14, 6 + i, Grey0);
  }
  pen.Disc(7.5, 7.5, 2.6, Red1);
  pen.Disc(7.3, 7.3, 1.8, Red2);
  pen.Rect(7, 7, 1, 1, Red4);
  pen.Outline(Key, Shade, false);
}

// A cut gem: a flat-topped hexagon with a bright table in the middle and
// facets lit from the top left.
void DrawTreasurePod(const Pen& pen) {
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      const double px = x + 0.5 - 8.0;
      const double py = y + 0.5 - 8.0;
      if (std::fabs(py) > 6.0 || std::fabs(px) > 7.0 - std::fabs(py) * 0.5) continue;
      uint8_t ink;
      if (std::fabs(py) < 2.6 && std::fabs(px) < 4.2 - std::fabs(py) * 0.5) {
        ink = Purple3;
      } else if (py < 0) {
        ink = px < 1.5 ? Purple4 : Purple3;
      } else {
        ink = px < -1.5 ? Purple2 : px < 2.5 ? Purple1 : Purple0;
      }
      pen.Pixel(x, y, ink);
    }
  }
  pen.Pixel(5, 6, White);
  pen.Pixel(6, 6, Purple4);
  pen.Outline(Key, Shade, false);
}

}  // namespace

void DrawEnemies(Canvas& atlas) {
  const Ramp* const hulls[4] = {&kCyans, &kGreens, &kYellows, &kPurples};
  for (int i = 0; i < 4; ++i) {
    DrawCarrier(CellPen(atlas, 32 + i), *hulls[i], false);
    DrawCarrier(CellPen(atlas, 36 + i), *hulls[i], true);
  }
  for (int type = 1; type <= 12; ++type) {
    DrawCreature(CellPen(atlas, 63 + type), kCreatureMasks[type - 1], *kCreatureRamps[(type - 1) % 4]);
  }
  DrawSwarmer(CellPen(atlas, 61), kReds);
  DrawSwarmer(CellPen(atlas, 62), kGreens);
  DrawSwarmer(CellPen(atlas, 63), kYellows);
  DrawBandedPod(CellPen(atlas, 80), kGreens);
  DrawBandedPod(CellPen(atlas, 81), kYellows);
  DrawBandedPod(CellPen(atlas, 82), kReds);
  DrawMinePod(CellPen(atlas, 83));
  DrawTreasurePod(CellPen(atlas, 84));
}
