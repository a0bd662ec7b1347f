// The player's side: pointer, ship, lives icon, shots, satellite and power-up;
// and the effects: sparks, explosions and the enemy bullet.
#include <cmath>

#include "tools/art/atlas.h"

namespace {

// A small shaded ball lit from the top left: digits are shades of the ramp.
void DrawOrb(const Pen& pen, const Ramp& ramp, uint8_t highlight) {
  Paint(pen, 0, 0,
        {".1221.",
         "13w431",
         "234431",
         "233321",
         "122210",
         ".1100."},
        Legend{{'0', ramp[0]}, {'1', ramp[1]}, {'2', ramp[2]}, {'3', ramp[3]}, {'4', ramp[4]}, {'w', highlight}});
}

void DrawPointer(Canvas& atlas) {
  Paint(CellPen(atlas, 17), 0, 0,
        {"o.........",
         "oo........",
         "owo.......",
         "owwo......",
         "owwwo.....",
         "owwwgo....",
         "owwwggo...",
         "owwgoooo..",
         "owgo......",
         "ooo......."},
        Legend{{'o', Shade}, {'w', White}, {'g', Grey3}});
}

// The ship faces right in sprite 19; sprite 18 is its mirror image.
void DrawShip(Canvas& atlas) {
  const Legend ship{{'o', Shade}, {'a', Grey1}, {'b', Grey2}, {'c', Grey3}, {'d', Grey4}, {'w', White},
                    {'k', Cyan2}, {'K', Cyan4}, {'r', Red1},   {'R', Red2},  {'F', Orange2}, {'Y', Yellow3},
                    {'B', Blue2}};
  const Picture facingRight = {
      "oooo............",
      "oBBBoo..........",
      "ooBBBBoooooo....",
      "YoabbbbbKKkkooo.",
      "YFabbbcccccddwwo",
      "oooaaabbbbbccoo.",
      "..orRRRooooooo..",
      "...oooo.........",
  };
  Paint(CellPen(atlas, 19), 0, 0, facingRight, ship);
  const Pen left = CellPen(atlas, 18);
  Paint(left, 0, 0, facingRight, ship);
  left.Mirror();
}

// Too small for outlines: bright inks only, so it reads on the dark playfield.
void DrawLivesIcon(Canvas& atlas) {
  Paint(CellPen(atlas, 24), 0, 0,
        {".B.....",
         ".BBKK..",
         "Ybbcddw",
         ".RRbbc.",
         "..RR..."},
        Legend{{'b', Grey2}, {'c', Grey3}, {'d', Grey4}, {'w', White}, {'R', Red2}, {'B', Blue2},
               {'K', Cyan3}, {'Y', Yellow3}});
}

// A bolt of light, bright at its head.
void DrawShots(Canvas& atlas) {
  const Picture flyingRight = {
      "....abc.",
      "aabbcwWW",
      "aabbcwWW",
      "....abc.",
  };
  const Legend bolt{{'a', Cyan1}, {'b', Cyan2}, {'c', Cyan3}, {'w', Cyan4}, {'W', White}};
  Paint(CellPen(atlas, 22), 0, 0, flyingRight, bolt);
  const Pen left = CellPen(atlas, 21);
  Paint(left, 0, 0, flyingRight, bolt);
  left.Mirror();
}

void DrawPowerUp(Canvas& atlas) {
  Paint(CellPen(atlas, 85), 0, 0,
        {"...oooooo...",
         ".oocddddcoo.",
         ".ocdwwwwddco",
         "ocdwwbbwwdco",
         "ocdwwbbwwdbo",
         "ocdwwwwwdcbo",
         "occwwdddcbbo",
         "occwwcccbbao",
         "obcwwcccbbao",
         ".obbbbbbbao.",
         ".ooabbbbaoo.",
         "...oooooo..."},
        Legend{{'o', Shade}, {'a', Blue0}, {'b', Blue1}, {'c', Blue2}, {'d', Blue3}, {'w', White}});
}

void DrawSparks(Canvas& atlas) {
  // Each frame a little wider and cooler than the last.
  const double radii[4] = {0.8, 1.6, 2.5, 3.3};
  const uint8_t outer[4] = {Yellow3, Yellow2, Orange2, Red2};
  const uint8_t inner[4] = {White, Yellow4, Yellow3, Orange3};
  for (int i = 0; i < 4; ++i) {
    const Pen pen = CellPen(atlas, 40 + i);
    const double r = radii[i];
    pen.Ring(3.5, 3.5, r - 1.1, r + 0.5, outer[i]);
    if (i == 0) {
      pen.Rect(3, 3, 2, 2, White);
      pen.Pixel(3, 2, Yellow3);
      pen.Pixel(4, 5, Yellow3);
      pen.Pixel(2, 4, Yellow3);
      pen.Pixel(5, 3, Yellow3);
    } else {
      pen.Ring(3.5, 3.5, r - 0.9, r - 0.1, inner[i]);
    }
  }
}

// A burst of fire that swells into a ragged ring of flame, breaks up into
// embers and fades. Each frame's edge wobbles by a fixed amount per angle.
void DrawExplosions(Canvas& atlas) {
  Noise noise(0x5EED1234u);
  double wobble[16];
  for (double& w : wobble) w = noise.Below(100) / 100.0 - 0.5;
  struct Frame {
    double outer;     // radius of the fire's edge
    double hollow;    // radius of the burnt-out middle (0: none)
    uint8_t rim, body, core, middle;
    int embers;       // pixels knocked out of the flame
  };
  const Frame frames[8] = {
      {2.6, 0.0, Orange2, Yellow3, White, White, 0},
      {4.0, 0.0, Red2, Orange2, Yellow3, White, 0},
      {5.2, 0.0, Red2, Orange2, Yellow2, Yellow4, 4},
      {6.2, 1.8, Red1, Orange2, Yellow2, Orange3, 8},
      {6.8, 3.0, Red1, Red2, Orange2, Key, 14},
      {7.2, 4.0, Red0, Red1, Red2, Key, 24},
      {7.5, 5.0, Red0, Red1, Red1, Key, 40},
      {7.8, 6.0, Red0, Red0, Red1, Key, 60},
  };
  for (int f = 0; f < 8; ++f) {
    const Frame& fr = frames[f];
    const Pen pen = CellPen(atlas, 44 + f);
    for (int y = 0; y < 16; ++y) {
      for (int x = 0; x < 16; ++x) {
        const double dx = x + 0.5 - 8.0;
        const double dy = y + 0.5 - 8.0;
        const double angle = std::atan2(dy, dx);
        const int sector = static_cast<int>((angle + 3.14159265) / (2 * 3.14159265) * 16.0) & 15;
        const double d = std::hypot(dx, dy) / (1.0 + wobble[sector] * 0.18);
        if (d > fr.outer) continue;
        uint8_t ink = fr.rim;
        if (d < fr.outer - 1.0) ink = fr.body;
        if (d < fr.outer * 0.55) ink = fr.core;
        if (d < fr.outer * 0.25) ink = fr.middle;
        if (d < fr.hollow) ink = Key;
        pen.Pixel(x, y, ink);
      }
    }
    for (int i = 0; i < fr.embers; ++i) {
      // Drawn one at a time: the order of a call's arguments is the compiler's choice.
      const int y = noise.Below(16);
      const int x = noise.Below(16);
      pen.Pixel(x, y, Key);
    }
    // A few embers still glowing in the fading ring.
    for (int i = 0; i < (f >= 4 ? 10 - f : 0); ++i) {
      const int x = noise.Below(16);
      const int y = noise.Below(16);
      if (pen.At(x, y) != Key) pen.Pixel(x, y, f < 6 ? Yellow3 : Orange2);
    }
  }
}

}  // namespace

void DrawPlayerSprites(Canvas& atlas) {
  DrawPointer(atlas);
  DrawShip(atlas);
  DrawLivesIcon(atlas);
  DrawShots(atlas);
  DrawOrb(CellPen(atlas, 20), kGreys, White);
  DrawPowerUp(atlas);
}

void DrawEffects(Canvas& atlas) {
  DrawSparks(atlas);
  DrawExplosions(atlas);
  DrawOrb(CellPen(atlas, 23), kOranges, Yellow4);
}
