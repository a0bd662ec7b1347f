// The icon's picture: the ship from the atlas, the layout per size, the
// raster drawing and the SVG of the same design.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "tools/art/atlas.h"
#include "tools/icons/icons.h"

namespace {

//-----------------------------------------------------------------------------
// The design, in units of the 256 px icon. Smaller icons scale it; below
// 48 px the scenery is left out, as it would only blur into noise.
//-----------------------------------------------------------------------------

struct Colour {
  double r, g, b;
};

constexpr double kDesignSize = 256.0;
constexpr double kSquareInset = 16.0;
constexpr double kSquareRadius = 44.0;
constexpr double kRimWidth = 3.0;
constexpr int kShipScale = 12;                       // sprite pixel size at 256 px
constexpr double kShipCentreY = 120.0;               // a little above the middle: the hills sit below
constexpr Colour kSkyTop{46, 38, 102};
constexpr Colour kSkyBottom{10, 12, 34};
constexpr Colour kRimColour{150, 170, 255};
constexpr double kRimTopOpacity = 0.45;
constexpr double kRimBottomOpacity = 0.05;

// A soft light: opacity falls linearly between stops from the centre (0) to
// the edge of its ellipse (1), as an SVG radial gradient does.
struct GlowStop {
  double offset, opacity;
};
struct Glow {
  Colour colour;
  GlowStop stops[3];
};
// Behind the ship: an ellipse 1.4 times its width and 2.6 times its height.
constexpr Glow kShipGlow{{80, 160, 255}, {{0.0, 0.85}, {0.45, 0.35}, {1.0, 0.0}}};
constexpr double kShipGlowWidth = 1.4, kShipGlowHeight = 2.6;
// At the exhaust (the sprite's yellow pixels, column 0, rows 3 and 4): a
// circle of 3.5 sprite pixels radius.
constexpr Glow kExhaustGlow{{255, 150, 60}, {{0.0, 0.75}, {0.4, 0.30}, {1.0, 0.0}}};
constexpr double kExhaustRadius = 3.5;

struct Star {
  double x, y, r;
};
constexpr Star kStars[] = {{50, 56, 2.6}, {88, 36, 1.8},  {150, 30, 2.2}, {206, 50, 2.8},
                           {226, 96, 1.6}, {40, 104, 1.5}, {118, 52, 1.3}, {180, 84, 1.4}};
constexpr Colour kStarColour{210, 225, 255};
constexpr double kStarOpacity = 0.9;

// Two ridges of hills, far and near: the height of their top edge at
// evenly spaced x (every 32 units, x = 0 ... 256).
struct Ridge {
  Colour colour;
  double top[9];
};
constexpr Ridge kRidges[] = {
    {{46, 42, 100}, {190, 178, 186, 170, 182, 168, 184, 172, 180}},
    {{20, 20, 50}, {212, 198, 208, 194, 210, 198, 210, 200, 206}},
};

double RidgeTop(const Ridge& ridge, double x) {
  const double at = std::clamp(x / 32.0, 0.0, 7.999999);
  const int i = static_cast<int>(at);
  const double t = at - i;
  return ridge.top[i] * (1.0 - t) + ridge.top[i + 1] * t;
}

//-----------------------------------------------------------------------------
// Raster drawing
//-----------------------------------------------------------------------------

constexpr int kSamples = 8;  // per pixel side: 64 samples per pixel for the edges of shapes

// Inside a rounded square of side `size` - 2 inset with corner radius r?
bool InsideSquare(double x, double y, double size, double inset, double r) {
  const double lo = inset + r, hi = size - inset - r;
  const double dx = x < lo ? lo - x : (x > hi ? x - hi : 0.0);
  const double dy = y < lo ? lo - y : (y > hi ? y - hi : 0.0);
  if (x < inset || y < inset || x > size - inset || y > size - inset) return false;
  return dx * dx + dy * dy <= r * r;
}

double GlowOpacity(const Glow& glow, double t) {
  if (t >= 1.0) return 0.0;
  for (int i = 1; i < 3; ++i) {
    if (t <= glow.stops[i].offset) {
      const GlowStop& a = glow.stops[i - 1];
      const GlowStop& b = glow.stops[i];
      return a.opacity + (b.opacity - a.opacity) * (t - a.offset) / (b.offset - a.offset);
    }
  }
  return 0.0;
}

// Paints `top` with opacity a over `under`.
Colour Over(Colour under, Colour top, double a) {
  return {under.r + (top.r - under.r) * a, under.g + (top.g - under.g) * a, under.b + (top.b - under.b) * a};
}

uint8_t ToByte(double v) { return static_cast<uint8_t>(std::clamp(std::floor(v + 0.5), 0.0, 255.0)); }

// Coverage of each shape in one pixel, from the samples.
struct Coverage {
  double square = 0, rim = 0, star = 0, ridge[2] = {0, 0};
};

Coverage Sample(const IconLayout& layout, int px, int py) {
  const double unit = layout.size / kDesignSize;
  const double size = layout.size;
  Coverage c;
  int square = 0, rim = 0, star = 0, ridge[2] = {0, 0};
  for (int sy = 0; sy < kSamples; ++sy) {
    for (int sx = 0; sx < kSamples; ++sx) {
      const double x = px + (sx + 0.5) / kSamples;
      const double y = py + (sy + 0.5) / kSamples;
      if (!InsideSquare(x, y, size, layout.squareInset, layout.squareRadius)) continue;
      ++square;
      if (!layout.scenery) continue;
      const double inner = kRimWidth * unit;
      if (!InsideSquare(x, y, size, layout.squareInset + inner, layout.squareRadius - inner)) ++rim;
      const double dx = x / unit, dy = y / unit;  // in design units
      for (const Star& s : kStars) {
        if ((dx - s.x) * (dx - s.x) + (dy - s.y) * (dy - s.y) <= s.r * s.r) {
          ++star;
          break;
        }
      }
      for (int i = 0; i < 2; ++i) ridge[i] += dy >= RidgeTop(kRidges[i], dx);
    }
  }
  constexpr double kAll = kSamples * kSamples;
  c.square = square / kAll;
  c.rim = rim / kAll;
  c.star = star / kAll;
  for (int i = 0; i < 2; ++i) c.ridge[i] = ridge[i] / kAll;
  return c;
}

}  // namespace

ShipSprite ReadShipSprite() {
  Image atlas = DrawAtlas();
  const Pen cell = CellPen(atlas.canvas, 19);  // the ship facing right
  ShipSprite ship{};
  for (int y = 0; y < ShipSprite::kHeight; ++y) {
    for (int x = 0; x < ShipSprite::kWidth; ++x) {
      const uint8_t index = cell.At(x, y);
      const Rgb& c = atlas.palette[index];
      ship.pixels[y][x] = index == Key ? ShipSprite::kNoInk : (uint32_t{c.r} << 16 | uint32_t{c.g} << 8 | c.b);
    }
  }
  return ship;
}

// Below 48 px each size is laid out by hand so that the sprite falls on whole
// pixels at 1x (16-24) or 2x (32) with the square around it; at 16 and 32 the
// ship spans the full width. From 48 px the design scales, with the ship's
// scale rounded to whole pixels and its corner placed on a whole pixel.
IconLayout LayoutFor(int size) {
  switch (size) {
    case 16: return {16, 0.0, 3.5, 1, 0, 4, false};
    case 22: return {22, 1.0, 4.0, 1, 3, 7, false};
    case 24: return {24, 1.0, 4.0, 1, 4, 8, false};
    case 32: return {32, 0.0, 6.0, 2, 0, 8, false};
    default: break;
  }
  const double unit = size / kDesignSize;
  const int scale = std::max(1, static_cast<int>(std::floor(kShipScale * unit + 0.5)));
  const int shipX = (size - ShipSprite::kWidth * scale) / 2;
  const int shipY = static_cast<int>(std::floor(kShipCentreY * unit - ShipSprite::kHeight * scale / 2.0 + 0.5));
  return {size, kSquareInset * unit, kSquareRadius * unit, scale, shipX, shipY, true};
}

RgbaImage DrawIcon(const ShipSprite& ship, int size) {
  const IconLayout layout = LayoutFor(size);
  const int k = layout.shipScale;
  const double shipW = ShipSprite::kWidth * k, shipH = ShipSprite::kHeight * k;
  const double glowX = layout.shipX + shipW / 2, glowY = layout.shipY + shipH / 2;
  const double glowRx = shipW * kShipGlowWidth / 2, glowRy = shipH * kShipGlowHeight / 2;
  const double exhaustX = layout.shipX + 0.5 * k, exhaustY = layout.shipY + 4.0 * k;
  const double exhaustR = kExhaustRadius * k;
  const double skyTop = layout.squareInset, skyBottom = size - layout.squareInset;

  RgbaImage image(size, size);
  for (int py = 0; py < size; ++py) {
    for (int px = 0; px < size; ++px) {
      const Coverage cover = Sample(layout, px, py);
      if (cover.square == 0.0) continue;
      const double x = px + 0.5, y = py + 0.5;
      const double sky = std::clamp((y - skyTop) / (skyBottom - skyTop), 0.0, 1.0);
      Colour c = Over(kSkyTop, kSkyBottom, sky);
      c = Over(c, kStarColour, kStarOpacity * cover.star);
      const double gx = (x - glowX) / glowRx, gy = (y - glowY) / glowRy;
      c = Over(c, kShipGlow.colour, GlowOpacity(kShipGlow, std::sqrt(gx * gx + gy * gy)));
      const double ex = (x - exhaustX) / exhaustR, ey = (y - exhaustY) / exhaustR;
      c = Over(c, kExhaustGlow.colour, GlowOpacity(kExhaustGlow, std::sqrt(ex * ex + ey * ey)));
      for (int i = 0; i < 2; ++i) c = Over(c, kRidges[i].colour, cover.ridge[i]);
      const double rimOpacity = kRimTopOpacity + (kRimBottomOpacity - kRimTopOpacity) * sky;
      c = Over(c, kRimColour, rimOpacity * cover.rim);
      uint8_t* p = image.At(px, py);
      p[0] = ToByte(c.r);
      p[1] = ToByte(c.g);
      p[2] = ToByte(c.b);
      p[3] = ToByte(255.0 * cover.square);
    }
  }
  // The ship, opaque and on whole pixels.
  for (int y = 0; y < ShipSprite::kHeight * k; ++y) {
    for (int x = 0; x < ShipSprite::kWidth * k; ++x) {
      const uint32_t ink = ship.pixels[y / k][x / k];
      const int px = layout.shipX + x, py = layout.shipY + y;
      if (ink == ShipSprite::kNoInk || px < 0 || py < 0 || px >= size || py >= size) continue;
      uint8_t* p = image.At(px, py);
      p[0] = static_cast<uint8_t>(ink >> 16);
      p[1] = static_cast<uint8_t>(ink >> 8);
      p[2] = static_cast<uint8_t>(ink);
      p[3] = 255;
    }
  }
  return image;
}

//-----------------------------------------------------------------------------
// SVG: the same design at 256 units, for the scalable icon.
//-----------------------------------------------------------------------------

namespace {

std::string Format(const char* format, auto... values) {
  char buffer[256];
  std::snprintf(buffer, sizeof buffer, format, values...);
  return buffer;
}

std::string Hex(Colour c) {
  return Format("#%02x%02x%02x", static_cast<unsigned>(ToByte(c.r)), static_cast<unsigned>(ToByte(c.g)),
                static_cast<unsigned>(ToByte(c.b)));
}

std::string Stops(const Glow& glow) {
  std::string out;
  for (const GlowStop& s : glow.stops) {
    out += Format("      <stop offset=\"%g\" stop-color=\"%s\" stop-opacity=\"%g\"/>\n", s.offset,
                  Hex(glow.colour).c_str(), s.opacity);
  }
  return out;
}

}  // namespace

std::string DrawIconSvg(const ShipSprite& ship) {
  const IconLayout layout = LayoutFor(256);
  const int k = layout.shipScale;
  const double shipW = ShipSprite::kWidth * k, shipH = ShipSprite::kHeight * k;
  const double side = kDesignSize - 2 * kSquareInset;
  std::string svg;
  svg += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  svg += "<!-- Vantomir: the ship from the game's atlas on a night sky. Drawn by generate-icons. -->\n";
  svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" viewBox=\"0 0 256 256\">\n";
  svg += "  <defs>\n";
  svg += Format("    <linearGradient id=\"sky\" x1=\"0\" y1=\"%g\" x2=\"0\" y2=\"%g\" gradientUnits=\"userSpaceOnUse\">\n",
                kSquareInset, kDesignSize - kSquareInset);
  svg += Format("      <stop offset=\"0\" stop-color=\"%s\"/>\n", Hex(kSkyTop).c_str());
  svg += Format("      <stop offset=\"1\" stop-color=\"%s\"/>\n", Hex(kSkyBottom).c_str());
  svg += "    </linearGradient>\n";
  svg += Format("    <linearGradient id=\"rim\" x1=\"0\" y1=\"%g\" x2=\"0\" y2=\"%g\" gradientUnits=\"userSpaceOnUse\">\n",
                kSquareInset, kDesignSize - kSquareInset);
  svg += Format("      <stop offset=\"0\" stop-color=\"%s\" stop-opacity=\"%g\"/>\n", Hex(kRimColour).c_str(),
                kRimTopOpacity);
  svg += Format("      <stop offset=\"1\" stop-color=\"%s\" stop-opacity=\"%g\"/>\n", Hex(kRimColour).c_str(),
                kRimBottomOpacity);
  svg += "    </linearGradient>\n";
  svg += "    <radialGradient id=\"glow\">\n" + Stops(kShipGlow) + "    </radialGradient>\n";
  svg += "    <radialGradient id=\"exhaust\">\n" + Stops(kExhaustGlow) + "    </radialGradient>\n";
  svg += Format("    <clipPath id=\"square\"><rect x=\"%g\" y=\"%g\" width=\"%g\" height=\"%g\" rx=\"%g\"/></clipPath>\n",
                kSquareInset, kSquareInset, side, side, kSquareRadius);
  svg += "  </defs>\n";

  svg += "  <g clip-path=\"url(#square)\">\n";
  svg += "    <rect width=\"256\" height=\"256\" fill=\"url(#sky)\"/>\n";
  svg += Format("    <g fill=\"%s\" fill-opacity=\"%g\">\n", Hex(kStarColour).c_str(), kStarOpacity);
  for (const Star& s : kStars) svg += Format("      <circle cx=\"%g\" cy=\"%g\" r=\"%g\"/>\n", s.x, s.y, s.r);
  svg += "    </g>\n";
  svg += Format("    <ellipse cx=\"%g\" cy=\"%g\" rx=\"%g\" ry=\"%g\" fill=\"url(#glow)\"/>\n",
                layout.shipX + shipW / 2, layout.shipY + shipH / 2, shipW * kShipGlowWidth / 2,
                shipH * kShipGlowHeight / 2);
  svg += Format("    <circle cx=\"%g\" cy=\"%g\" r=\"%g\" fill=\"url(#exhaust)\"/>\n", layout.shipX + 0.5 * k,
                layout.shipY + 4.0 * k, kExhaustRadius * k);
  for (const Ridge& ridge : kRidges) {
    std::string path = "M0 256";
    for (int i = 0; i < 9; ++i) path += Format(" L%d %g", 32 * i, ridge.top[i]);
    path += " L256 256 Z";
    svg += Format("    <path d=\"%s\" fill=\"%s\"/>\n", path.c_str(), Hex(ridge.colour).c_str());
  }
  svg += "  </g>\n";
  const double half = kRimWidth / 2;
  svg += Format("  <rect x=\"%g\" y=\"%g\" width=\"%g\" height=\"%g\" rx=\"%g\" fill=\"none\" stroke=\"url(#rim)\" "
                "stroke-width=\"%g\"/>\n",
                kSquareInset + half, kSquareInset + half, side - kRimWidth, side - kRimWidth, kSquareRadius - half,
                kRimWidth);

  // The ship: one rectangle for each run of equal pixels in a row.
  svg += "  <g shape-rendering=\"crispEdges\">\n";
  for (int y = 0; y < ShipSprite::kHeight; ++y) {
    for (int x = 0; x < ShipSprite::kWidth;) {
      const uint32_t ink = ship.pixels[y][x];
      int run = 1;
      while (x + run < ShipSprite::kWidth && ship.pixels[y][x + run] == ink) ++run;
      if (ink != ShipSprite::kNoInk) {
        svg += Format("    <rect x=\"%d\" y=\"%d\" width=\"%d\" height=\"%d\" fill=\"#%06x\"/>\n",
                      layout.shipX + x * k, layout.shipY + y * k, run * k, k, static_cast<unsigned>(ink));
      }
      x += run;
    }
  }
  svg += "  </g>\n";
  svg += "</svg>\n";
  return svg;
}
