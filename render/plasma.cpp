#include "render/plasma.h"

#include "render/display.h"
#include "render/graphics.h"

PlasmaPhases plasma{};

void DrawPlasma() {
  const int32_t* W = WaveTable;
  uint32_t* pixels = SpritePixelsForWriting(Playfield);
  if (pixels == nullptr) return;
  // Four waves summed, in 2x2 blocks: v is 2..510, and v + ph never passes
  // 1021, inside the palette row (whose second half repeats the first).
  const Colour* palette = PlasmaPalettes[0] + plasma.ph;
  int32_t a = W[plasma.p1 & 255];
  int32_t b = plasma.p2;
  for (int row = 0; row < kPlayfieldHeight / 2; ++row) {
    a = (a + 1) & 255;
    b = (b + 2) & 255;
    int32_t c = plasma.p3;
    int32_t d = plasma.p4;
    const int32_t ab = W[a] + W[b];
    uint32_t* top = pixels + 2 * row * kPlayfieldWidth;
    uint32_t* bottom = top + kPlayfieldWidth;
    for (int col = 0; col < kPlayfieldWidth / 2; ++col) {
      c = (c + 2) & 255;
      d = (d + 1) & 255;
      const int32_t v = (ab + W[c] + W[d]) >> 1;
      const uint32_t pixel = ColourToPixel(palette[v]);
      top[2 * col] = top[2 * col + 1] = pixel;
      bottom[2 * col] = bottom[2 * col + 1] = pixel;
    }
  }
  plasma.p1 -= 1;
  plasma.p2 += 1;
  plasma.p3 += 1;
  plasma.p4 -= W[plasma.p2 & 255] >> 6;
  plasma.ph = (plasma.ph + 1) & 511;
}
