// generate-icons: draws the game's application icon from the ship of the atlas.
//
//   generate-icons OUTDIR   writes OUTDIR/icons/vantomir-N.png for N = 16, 22, 24, 32, 48, 64, 128, 256,
//                           OUTDIR/icons/vantomir.svg and OUTDIR/window_icon.bmp (64x64)
//
// The icon is the ship facing right on a dark rounded square, lit from behind
// by a blue glow and an orange exhaust. At 48 px and above a starry sky and two
// ridges of hills fill the square. The ship is always drawn at a whole number
// of icon pixels per sprite pixel, on whole pixels, so it stays as crisp as in
// the game; the square, the glows and the scenery are smooth. The SVG draws the
// same picture as the 256 px icon, the ship as one rectangle per run of pixels.
//
// Everything is deterministic: the shapes are sampled on fixed grids with
// plain arithmetic (no library transcendental functions), and the PNG and BMP
// encoders write no dates.
//
// [SECTION] Pictures
// [SECTION] Drawing
// [SECTION] Encoders
#pragma once

#include <cstdint>
#include <string>
#include <vector>

//-----------------------------------------------------------------------------
// [SECTION] Pictures
//-----------------------------------------------------------------------------

// An 8-bit RGBA picture with straight (not premultiplied) alpha, rows top to
// bottom.
struct RgbaImage {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgba;  // 4 bytes a pixel: red, green, blue, alpha

  RgbaImage(int w, int h) : width(w), height(h), rgba(static_cast<size_t>(w) * static_cast<size_t>(h) * 4, 0) {}
  uint8_t* At(int x, int y) { return &rgba[(static_cast<size_t>(y) * width + x) * 4]; }
};

// The ship facing right as the atlas holds it: 16x8 pixels, 0x00RRGGBB each,
// kNoInk where the sprite is transparent.
struct ShipSprite {
  static constexpr int kWidth = 16;
  static constexpr int kHeight = 8;
  static constexpr uint32_t kNoInk = 0xFFFFFFFFu;
  uint32_t pixels[kHeight][kWidth];
};

ShipSprite ReadShipSprite();

//-----------------------------------------------------------------------------
// [SECTION] Drawing
//-----------------------------------------------------------------------------

// The icon sizes installed into the hicolor theme, smallest first.
inline constexpr int kIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

// Where the parts of the icon go at one size, in pixels of that size.
struct IconLayout {
  int size;
  double squareInset;   // margin around the rounded square
  double squareRadius;  // its corner radius
  int shipScale;        // icon pixels per sprite pixel
  int shipX, shipY;     // the sprite's top-left corner
  bool scenery;         // stars, hills and a rim light on the square
};

IconLayout LayoutFor(int size);
RgbaImage DrawIcon(const ShipSprite& ship, int size);
std::string DrawIconSvg(const ShipSprite& ship);

//-----------------------------------------------------------------------------
// [SECTION] Encoders
//-----------------------------------------------------------------------------

// A PNG file: 8-bit RGBA, one IDAT chunk of zlib data compressed with the
// fixed Huffman codes of deflate and a greedy LZ77 match search; each row
// takes the filter whose output has the smallest sum of magnitudes.
std::vector<uint8_t> EncodePng(const RgbaImage& image);

// A 32-bit BMP file with a BITMAPV4HEADER: rows bottom-up from offset 122,
// bytes blue, green, red, alpha, and the channel masks that say so.
std::vector<uint8_t> EncodeBmp32(const RgbaImage& image);

// CRC-32 of PNG chunks (polynomial 0xEDB88320) and the Adler-32 of zlib.
uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc = 0);
uint32_t Adler32(const uint8_t* data, size_t size);
