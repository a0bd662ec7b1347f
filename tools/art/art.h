// generate-art: draws the game's three embedded images.
//
//   generate-art OUTDIR   writes OUTDIR/atlas.bmp, glow.bmp and lightmap.bmp
//
// Every picture is drawn here, pixel by pixel, into 8-bit palettised canvases
// and written as uncompressed BMP files (bottom-up rows, pixels at offset
// 1078). The output depends on nothing but this code: no clock, no library
// random numbers; textures that want noise use the small generator below.
//
// [SECTION] Canvas and pens
// [SECTION] Pixel-art pictures
// [SECTION] Images
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <utility>
#include <vector>

struct Rgb {
  uint8_t r, g, b;
};
using Palette = std::array<Rgb, 256>;

//-----------------------------------------------------------------------------
// [SECTION] Canvas and pens
//-----------------------------------------------------------------------------

// An 8-bit picture: one palette index per pixel, rows top to bottom.
struct Canvas {
  int width;
  int height;
  std::vector<uint8_t> pixels;

  Canvas(int w, int h, uint8_t fill);
  uint8_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
  void Set(int x, int y, uint8_t index) { pixels[static_cast<size_t>(y) * width + x] = index; }
};

// The complete BMP file of a canvas: 14-byte file header, 40-byte
// information header, 256 palette entries (blue, green, red, 0), the rows
// bottom-up, each padded to a multiple of 4 bytes.
std::vector<uint8_t> EncodeBmp8(const Canvas& canvas, const Palette& palette);

// Draws into one rectangular cell of a canvas, in coordinates local to the
// cell. Everything is clipped to the cell, so a picture never spills into its
// neighbours.
struct Pen {
  Canvas* canvas;
  int left, top, width, height;

  bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
  uint8_t At(int x, int y) const { return canvas->At(left + x, top + y); }
  void Pixel(int x, int y, uint8_t ink) const {
    if (Inside(x, y)) canvas->Set(left + x, top + y, ink);
  }
  void Rect(int x, int y, int w, int h, uint8_t ink) const;
  void HLine(int x, int y, int w, uint8_t ink) const { Rect(x, y, w, 1, ink); }
  void VLine(int x, int y, int h, uint8_t ink) const { Rect(x, y, 1, h, ink); }
  // Every pixel whose centre lies within radius r of (cx, cy).
  void Disc(double cx, double cy, double r, uint8_t ink) const;
  // Every pixel whose centre lies between radii r0 and r1 of (cx, cy).
  void Ring(double cx, double cy, double r0, double r1, uint8_t ink) const;
  // Gives every background pixel that touches a drawn pixel the outline ink
  // (side neighbours only, or the diagonals too).
  void Outline(uint8_t background, uint8_t ink, bool diagonals) const;
  // Turns the cell left to right.
  void Mirror() const;
};

// A small deterministic generator (xorshift32) for texture noise.
struct Noise {
  uint32_t state;
  explicit Noise(uint32_t seed) : state(seed) {}
  uint32_t Next() {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
  }
  int Below(int n) { return static_cast<int>(Next() % static_cast<uint32_t>(n)); }
};

//-----------------------------------------------------------------------------
// [SECTION] Pixel-art pictures
//
// A picture is a list of rows of characters; a legend says which palette
// index each character paints, and characters outside the legend ('.' and
// ' ') leave the pixel as it is.
//-----------------------------------------------------------------------------

using Picture = std::initializer_list<const char*>;

struct Legend {
  std::array<int16_t, 128> ink;
  Legend(std::initializer_list<std::pair<char, uint8_t>> entries);
  // The same legend with some characters painting other inks.
  Legend With(std::initializer_list<std::pair<char, uint8_t>> entries) const;
};

void Paint(const Pen& pen, int x, int y, Picture rows, const Legend& legend);

//-----------------------------------------------------------------------------
// [SECTION] Images
//-----------------------------------------------------------------------------

struct Image {
  Canvas canvas;
  Palette palette;
};

Image DrawAtlas();
Image DrawGlow();
Image DrawLightMap();
