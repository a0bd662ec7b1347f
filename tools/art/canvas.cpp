// Canvases, pens, pictures and the 8-bit BMP encoder.
#include <cmath>

#include "tools/art/art.h"

Canvas::Canvas(int w, int h, uint8_t fill)
    : width(w), height(h), pixels(static_cast<size_t>(w) * static_cast<size_t>(h), fill) {}

namespace {

void Put16(std::vector<uint8_t>& out, uint32_t value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t value) {
  Put16(out, value & 0xFFFFu);
  Put16(out, value >> 16);
}

}  // namespace

std::vector<uint8_t> EncodeBmp8(const Canvas& canvas, const Palette& palette) {
  constexpr uint32_t kPixelOffset = 14 + 40 + 256 * 4;  // 1078
  constexpr uint32_t kPixelsPerMetre = 2835;              // 72 dots per inch
  const uint32_t stride = (static_cast<uint32_t>(canvas.width) + 3u) & ~3u;
  const uint32_t imageSize = stride * static_cast<uint32_t>(canvas.height);

  std::vector<uint8_t> out;
  out.reserve(kPixelOffset + imageSize);
  out.push_back('B');
  out.push_back('M');
  Put32(out, kPixelOffset + imageSize);
  Put32(out, 0);  // two reserved words
  Put32(out, kPixelOffset);

  Put32(out, 40);
  Put32(out, static_cast<uint32_t>(canvas.width));
  Put32(out, static_cast<uint32_t>(canvas.height));  // positive: rows run bottom-up
  Put16(out, 1);                                      // planes
  Put16(out, 8);                                      // bits per pixel
  Put32(out, 0);                                      // no compression
  Put32(out, imageSize);
  Put32(out, kPixelsPerMetre);
  Put32(out, kPixelsPerMetre);
  Put32(out, 0);  // colours used: all 256
  Put32(out, 0);  // important colours: all

  for (const Rgb& c : palette) {
    out.push_back(c.b);
    out.push_back(c.g);
    out.push_back(c.r);
    out.push_back(0);
  }
  for (int y = canvas.height - 1; y >= 0; --y) {
    for (int x = 0; x < canvas.width; ++x) out.push_back(canvas.At(x, y));
    for (uint32_t pad = static_cast<uint32_t>(canvas.width); pad < stride; ++pad) out.push_back(0);
  }
  return out;
}

void Pen::Rect(int x, int y, int w, int h, uint8_t ink) const {
  for (int j = y; j < y + h; ++j) {
    for (int i = x; i < x + w; ++i) Pixel(i, j, ink);
  }
}

void Pen::Disc(double cx, double cy, double r, uint8_t ink) const { Ring(cx, cy, -1.0, r, ink); }

void Pen::Ring(double cx, double cy, double r0, double r1, uint8_t ink) const {
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const double d = std::hypot(x - cx, y - cy);
      if (d > r0 && d <= r1) Pixel(x, y, ink);
    }
  }
}

void Pen::Outline(uint8_t background, uint8_t ink, bool diagonals) const {
  std::vector<uint8_t> edge(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      if (At(x, y) != background) continue;
      for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
          if ((dx == 0 && dy == 0) || (!diagonals && dx != 0 && dy != 0)) continue;
          const int nx = x + dx;
          const int ny = y + dy;
          if (Inside(nx, ny) && At(nx, ny) != background && At(nx, ny) != ink) edge[y * width + x] = 1;
        }
      }
    }
  }
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      if (edge[y * width + x]) Pixel(x, y, ink);
    }
  }
}

void Pen::Mirror() const {
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width / 2; ++x) {
      const uint8_t swap = At(x, y);
      Pixel(x, y, At(width - 1 - x, y));
      Pixel(width - 1 - x, y, swap);
    }
  }
}

Legend::Legend(std::initializer_list<std::pair<char, uint8_t>> entries) {
  ink.fill(-1);
  for (const auto& [c, index] : entries) ink[static_cast<unsigned char>(c) & 127] = index;
}

Legend Legend::With(std::initializer_list<std::pair<char, uint8_t>> entries) const {
  Legend copy = *this;
  for (const auto& [c, index] : entries) copy.ink[static_cast<unsigned char>(c) & 127] = index;
  return copy;
}

void Paint(const Pen& pen, int x, int y, Picture rows, const Legend& legend) {
  int row = 0;
  for (const char* line : rows) {
    for (int col = 0; line[col] != '\0'; ++col) {
      const int index = legend.ink[static_cast<unsigned char>(line[col]) & 127];
      if (index >= 0) pen.Pixel(x + col, y + row, static_cast<uint8_t>(index));
    }
    ++row;
  }
}
