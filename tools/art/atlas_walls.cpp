// The landscape's wall textures and overlay, and the radar frame.
//
// Wall textures (sprite 118, 128x16): four styles side by side, each two
// 16x16 textures that repeat seamlessly in both directions; the level's
// style s uses x = 32s. The light map's bevels and the overlay's cut-away
// margin turn them into panels at run time, so the textures themselves are
// plain surfaces: steel plating (style 0), mossy stone (1), red brick (2)
// and sandstone (3).
#include "tools/art/atlas.h"

namespace {

// Writes into a 16x16 texture with wrapping, so patterns tile seamlessly.
struct Texture {
  Pen pen;
  void Pixel(int x, int y, uint8_t ink) const { pen.Pixel(((x % 16) + 16) % 16, ((y % 16) + 16) % 16, ink); }
  void Rect(int x, int y, int w, int h, uint8_t ink) const {
    for (int j = y; j < y + h; ++j) {
      for (int i = x; i < x + w; ++i) Pixel(i, j, ink);
    }
  }
  // Scatters n pixels of each ink over the texture.
  void Speckle(Noise& noise, std::initializer_list<uint8_t> inks, int n) const {
    for (uint8_t ink : inks) {
      for (int i = 0; i < n; ++i) {
        // Drawn one at a time: the order of a call's arguments is the compiler's choice.
        const int y = noise.Below(16);
        const int x = noise.Below(16);
        pen.Pixel(x, y, ink);
      }
    }
  }
};

Texture WallTexture(Canvas& atlas, int style, int t) {
  const Pen walls = CellPen(atlas, 118);
  return Texture{Pen{walls.canvas, walls.left + 32 * style + 16 * t, walls.top, 16, 16}};
}

// Rows of bricks w x h, every other row shifted by half a brick; each brick
// lit along its top and left, shadowed along its bottom and right.
void Bricks(const Texture& tex, Noise& noise, int w, int h, const Ramp& ramp, uint8_t mortar) {
  tex.Rect(0, 0, 16, 16, mortar);
  for (int row = 0; row < 16 / h; ++row) {
    const int shift = (row % 2) * (w / 2);
    for (int col = 0; col < 16 / w; ++col) {
      const int x = col * w + shift;
      const int y = row * h;
      const int lighter = noise.Below(3) == 0 ? 1 : 0;  // drawn first, then the other
      const int darker = noise.Below(4) == 0 ? 1 : 0;
      const int face = 2 + lighter - darker;
      tex.Rect(x, y, w - 1, h - 1, ramp[face]);
      tex.Rect(x, y, w - 1, 1, ramp[face + 1]);
      tex.Rect(x, y, 1, h - 1, ramp[face + 1]);
      tex.Rect(x + 1, y + h - 2, w - 2, 1, ramp[face - 1]);
    }
  }
}

void SteelPlate(const Texture& tex, Noise& noise) {
  tex.Rect(0, 0, 16, 16, Slate2);
  tex.Speckle(noise, {Slate1, Slate3}, 10);
  // One seam across, rivets at the corners.
  tex.Rect(0, 15, 16, 1, Slate0);
  tex.Rect(0, 0, 16, 1, Slate3);
  tex.Rect(0, 7, 16, 1, Slate1);
  tex.Rect(0, 8, 16, 1, Slate3);
  for (int x : {3, 11}) {
    for (int y : {3, 11}) {
      tex.Pixel(x, y, Slate4);
      tex.Pixel(x + 1, y + 1, Slate0);
      tex.Pixel(x + 1, y, Slate3);
      tex.Pixel(x, y + 1, Slate1);
    }
  }
}

// Tread plate: raised diagonal marks in staggered rows.
void SteelTread(const Texture& tex, Noise& noise) {
  tex.Rect(0, 0, 16, 16, Slate2);
  tex.Speckle(noise, {Slate1, Slate3}, 6);
  for (int row = 0; row < 4; ++row) {
    for (int col = 0; col < 4; ++col) {
      const int x = col * 4 + (row % 2) * 2;
      const int y = row * 4 + 1;
      const bool rising = (row + col) % 2 == 0;
      tex.Pixel(x, y + (rising ? 1 : 0), Slate4);
      tex.Pixel(x + 1, y + (rising ? 0 : 1), Slate4);
      tex.Pixel(x + 1, y + (rising ? 1 : 2), Slate0);
    }
  }
}

void MossStone(const Texture& tex, Noise& noise) {
  Bricks(tex, noise, 8, 8, kMosses, Moss0);
  tex.Speckle(noise, {Green1, Moss4}, 8);
}

void MossCobbles(const Texture& tex, Noise& noise) {
  tex.Rect(0, 0, 16, 16, Moss1);
  // Round cobbles on a staggered grid.
  const int centres[5][2] = {{3, 3}, {11, 3}, {7, 10}, {15, 10}, {3, 16}};
  for (const auto& c : centres) {
    for (int dy = -3; dy <= 2; ++dy) {
      for (int dx = -3; dx <= 2; ++dx) {
        const int d = dx * dx + dy * dy;
        if (d > 8) continue;
        const uint8_t ink = dx + dy <= -3 ? Moss4 : dx + dy >= 2 ? Moss2 : Moss3;
        tex.Pixel(c[0] + dx, c[1] + dy, ink);
      }
    }
  }
  tex.Speckle(noise, {Green1, Green2}, 5);
}

void RedBrick(const Texture& tex, Noise& noise) {
  Bricks(tex, noise, 8, 4, kBricks, Brick0);
  tex.Speckle(noise, {Brick1, Brick4}, 4);
}

// Corrugated sheet: vertical ridges, with rust eating in.
void RustPlate(const Texture& tex, Noise& noise) {
  const uint8_t ridge[4] = {Brick3, Brick2, Brick1, Brick2};
  for (int x = 0; x < 16; ++x) tex.Rect(x, 0, 1, 16, ridge[x % 4]);
  for (int i = 0; i < 18; ++i) {
    const int x = noise.Below(16);
    const int y = noise.Below(16);
    tex.Pixel(x, y, Brown1);
    tex.Pixel(x, y + 1, Brown2);
  }
  tex.Rect(0, 15, 16, 1, Brick0);
}

void SandBlocks(const Texture& tex, Noise& noise) {
  Bricks(tex, noise, 16, 8, kSands, Sand0);
  tex.Speckle(noise, {Sand1, Sand4}, 8);
}

void SandCarving(const Texture& tex, Noise& noise) {
  tex.Rect(0, 0, 16, 16, Sand2);
  tex.Speckle(noise, {Sand1, Sand3}, 8);
  // A carved diamond in the middle of each texture.
  for (int i = 0; i < 6; ++i) {
    tex.Pixel(8 - i, 2 + i, Sand0);
    tex.Pixel(8 + i, 2 + i, Sand4);
    tex.Pixel(8 - i, 13 - i, Sand0);
    tex.Pixel(8 + i, 13 - i, Sand4);
  }
  tex.Rect(7, 7, 3, 2, Sand1);
  tex.Pixel(8, 7, Sand4);
}

void DrawWallTextures(Canvas& atlas) {
  Noise noise(0xB1C4A11Du);
  SteelPlate(WallTexture(atlas, 0, 0), noise);
  SteelTread(WallTexture(atlas, 0, 1), noise);
  MossStone(WallTexture(atlas, 1, 0), noise);
  MossCobbles(WallTexture(atlas, 1, 1), noise);
  RedBrick(WallTexture(atlas, 2, 0), noise);
  RustPlate(WallTexture(atlas, 2, 1), noise);
  SandBlocks(WallTexture(atlas, 3, 0), noise);
  SandCarving(WallTexture(atlas, 3, 1), noise);
}

// The overlay (sprite 119) is drawn keyed with black over the lit strip:
// black keeps the strip, magenta cuts the panel's outer margin away. Two
// colours only, in exactly these places.
void DrawWallOverlay(Canvas& atlas) {
  const Pen pen = CellPen(atlas, 119);
  pen.Rect(0, 0, 128, 16, Black);
  struct Cut {
    int y, h, x0, x1;
  };
  const Cut cuts[] = {{0, 8, 0, 51},  {0, 8, 92, 99}, {0, 8, 124, 127},
                      {8, 8, 0, 3},   {8, 8, 44, 51}, {8, 8, 92, 95}};
  for (const Cut& c : cuts) pen.Rect(c.x0, c.y, c.x1 - c.x0 + 1, c.h, Key);
}

// The radar (sprite 140, 66x10) is shown opaque: a bevelled frame round the
// 64x8 dots, with faint marks where the screen's eight columns lie (29..36).
void DrawRadarFrame(Canvas& atlas) {
  const Pen pen = CellPen(atlas, 140);
  pen.Rect(0, 0, 66, 10, RadarBack);
  for (int x = 1; x <= 64; x += 8) pen.VLine(x, 1, 8, RadarGrid);
  pen.HLine(1, 1, 64, RadarGrid);
  pen.HLine(1, 8, 64, RadarGrid);
  pen.HLine(29, 1, 8, Cyan0);
  pen.HLine(29, 8, 8, Cyan0);
  pen.HLine(0, 0, 66, Grey3);
  pen.VLine(0, 0, 10, Grey3);
  pen.HLine(1, 9, 65, Grey1);
  pen.VLine(65, 1, 9, Grey1);
  pen.Pixel(65, 0, Grey2);
  pen.Pixel(0, 9, Grey2);
}

}  // namespace

void DrawWallsAndRadar(Canvas& atlas) {
  DrawWallTextures(atlas);
  DrawWallOverlay(atlas);
  DrawRadarFrame(atlas);
}
