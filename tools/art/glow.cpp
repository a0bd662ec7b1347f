// The 256x256 glow image: soft glows and rings on black, added to the screen
// around bright objects.
//
//   y 0..127    eight 64x64 cells, k at (64 (k mod 4), 64 (k div 4)):
//               0..3 white glows growing, 4..7 blue rings growing (explosions)
//   y 128..159  32x32 cells at x = 32j: 0..3 small glows turning from white
//               to a blue ring (sparks), 4 and 5 stretched shot glows
//   (192, 128)  64x64 large soft white glow (power-up)
//   (128, 192), (192, 192)  64x64 warm yellow glows, a little apart in
//               brightness (enemy bullets flicker between them)
//
// The palette holds four hues of 63 levels each above black; a glow is a
// brightness field 0..1 per pixel, drawn in one hue. Every field falls to 0
// before the edge of its cell, so filtering never picks up a neighbour.
#include <algorithm>
#include <cmath>

#include "tools/art/art.h"

namespace {

enum Hue { WhiteHue, IceHue, BlueHue, WarmHue, HueCount };
constexpr Rgb kHues[HueCount] = {{255, 255, 255}, {168, 208, 255}, {72, 132, 255}, {255, 204, 84}};
constexpr int kLevels = 63;

Palette GlowPalette() {
  Palette palette{};  // entry 0 and the three spare entries stay black
  for (int hue = 0; hue < HueCount; ++hue) {
    for (int level = 1; level <= kLevels; ++level) {
      auto scale = [level](uint8_t c) { return static_cast<uint8_t>((c * level + kLevels / 2) / kLevels); };
      const Rgb& c = kHues[hue];
      palette[1 + hue * kLevels + level - 1] = Rgb{scale(c.r), scale(c.g), scale(c.b)};
    }
  }
  return palette;
}

// Brightness 0..1 at a distance from a glow's centre.
using Field = double (*)(double dx, double dy, double size);

// A soft round glow of radius `size`: a bright middle in a wide halo.
double SoftGlow(double dx, double dy, double size) {
  const double t = std::max(0.0, 1.0 - std::hypot(dx, dy) / size);
  return 0.6 * t * t + 0.4 * t;
}

// A ring of radius `size`, with a faint glow inside it.
double BlueRing(double dx, double dy, double size) {
  const double d = std::hypot(dx, dy);
  const double width = 2.0 + size * 0.12;
  const double ring = std::exp(-((d - size) * (d - size)) / (width * width));
  const double inner = d < size ? 0.25 * (d / size) : 0.0;
  return std::min(1.0, ring + inner);
}

// A glow stretched along x with a long tail behind the shot (negative dx is
// behind a shot flying right).
double ShotGlow(double dx, double dy, double size) {
  const double sx = dx < 0.0 ? 1.35 : 0.75;
  return SoftGlow(dx / sx, dy * 1.9, size);
}

void DrawField(Canvas& canvas, int left, int top, int cellSize, Hue hue, Field field, double size, double peak,
               bool mirrored = false) {
  const double centre = cellSize / 2.0;
  for (int y = 0; y < cellSize; ++y) {
    for (int x = 0; x < cellSize; ++x) {
      double dx = x + 0.5 - centre;
      const double dy = y + 0.5 - centre;
      if (mirrored) dx = -dx;
      // Nothing in the outermost ring of pixels.
      const double fade = std::min({x, y, cellSize - 1 - x, cellSize - 1 - y}) == 0 ? 0.0 : 1.0;
      const double value = std::clamp(field(dx, dy, size) * peak * fade, 0.0, 1.0);
      const int level = static_cast<int>(std::lround(value * kLevels));
      canvas.Set(left + x, top + y, level == 0 ? 0 : static_cast<uint8_t>(1 + hue * kLevels + level - 1));
    }
  }
}

}  // namespace

Image DrawGlow() {
  Canvas canvas(256, 256, 0);
  // Explosions: white glows swelling, then blue rings spreading and fading.
  const double glowSizes[4] = {12.0, 17.0, 22.0, 28.0};
  const double ringSizes[4] = {13.0, 18.0, 23.0, 27.0};
  const double ringPeaks[4] = {1.0, 0.8, 0.6, 0.4};
  for (int k = 0; k < 4; ++k) {
    DrawField(canvas, 64 * k, 0, 64, WhiteHue, SoftGlow, glowSizes[k], 1.0);
    DrawField(canvas, 64 * k, 64, 64, BlueHue, BlueRing, ringSizes[k], ringPeaks[k]);
  }
  // Sparks: a white point opening into a small blue ring.
  DrawField(canvas, 0, 128, 32, WhiteHue, SoftGlow, 11.0, 1.0);
  DrawField(canvas, 32, 128, 32, IceHue, SoftGlow, 13.0, 0.9);
  DrawField(canvas, 64, 128, 32, IceHue, BlueRing, 8.0, 0.8);
  DrawField(canvas, 96, 128, 32, BlueHue, BlueRing, 11.0, 0.6);
  // Shots: the left-flying glow trails to the right, the right-flying one to the left.
  DrawField(canvas, 128, 128, 32, IceHue, ShotGlow, 11.0, 1.0, true);
  DrawField(canvas, 160, 128, 32, IceHue, ShotGlow, 11.0, 1.0);
  // The power-up.
  DrawField(canvas, 192, 128, 64, WhiteHue, SoftGlow, 30.0, 0.8);
  // Enemy bullets: two warm glows to flicker between.
  DrawField(canvas, 128, 192, 64, WarmHue, SoftGlow, 24.0, 1.0);
  DrawField(canvas, 192, 192, 64, WarmHue, SoftGlow, 22.0, 0.75);
  return {canvas, GlowPalette()};
}
