// Textured quads and triangle lists, drawn in software on the back buffer.
//
// The rules are those of a 3-D card fed with pre-transformed vertices:
// - Pixel centres lie on whole coordinates. A pixel is drawn when its centre
//   is inside the triangle; a centre exactly on an edge belongs to the
//   triangle only if that edge is a top or a left edge, so two triangles
//   sharing an edge never both draw its pixels. Vertex positions are snapped
//   to 1/256 pixel first, which makes the inside test exact.
// - Attributes (texture coordinates, diffuse colour) are interpolated
//   linearly across the triangle.
// - Texel centres lie on half texels. Nearest filtering picks texel
//   floor(u * width); bilinear filtering samples at u * width - 0.5 and blends
//   the two texels around it in each direction (weights in 1/256). Addressing
//   is clamped: coordinates past an edge repeat the edge texel.
// - Colour keying: a texel equal to the texture's transparent colour is not
//   drawn. Under bilinear filtering it counts as black with alpha 0 before
//   filtering, and the filtered alpha scales the source alpha.
// - Source colour = texel x diffuse colour, source alpha = texel alpha x
//   diffuse alpha (each rounded /255). Blending with (SourceAlpha,
//   InverseSourceAlpha) gives round((src*a + dst*(255-a)) / 255) per channel;
//   (One, One) gives min(255, dst + src).
//
// A quad is always an axis-aligned rectangle, and so are the glow pass's
// triangle pairs: such rectangles go through a fast path that computes each
// column's texel and weight once per draw and filters one texture row per
// screen row, with integer arithmetic and no division in the inner loops.
// Pixels are worked on as four 16-bit lanes of one 64-bit word (alpha, red,
// green, blue), so one multiply weighs all four channels; the rectangle path
// takes two pixels at a time in a 16-byte vector with the same lanes. In a
// draw of many additive rectangles (the glow pass), each different one is
// filtered once and its copies add the result.
//
// [SECTION] Pixel arithmetic
// [SECTION] Two pixels at a time
// [SECTION] Sampling
// [SECTION] Rectangles (the fast path)
// [SECTION] Repeated additive rectangles
// [SECTION] General triangles
// [SECTION] Quad and triangle operations
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "render/display_internal.h"

//-----------------------------------------------------------------------------
// [SECTION] Pixel arithmetic
//-----------------------------------------------------------------------------

namespace {

constexpr uint64_t kLanes = 0x00FF00FF00FF00FFull;        // the low byte of each lane
constexpr uint64_t kColourLanes = 0x000000FF00FF00FFull;  // red, green and blue lanes
constexpr uint64_t kLaneHalves = 0x0080008000800080ull;   // 128 in each lane, for rounding
constexpr uint64_t kLaneOnes = 0x0001000100010001ull;
constexpr uint64_t kOpaque = 255ull << 48;

// 0x00RRGGBB -> lanes (0, R, G, B).
inline uint64_t Expand(uint32_t pixel) {
  uint64_t x = pixel;
  x = (x | (x << 16)) & 0x0000FFFF0000FFFFull;
  return (x | (x << 8)) & kLanes;
}

// Lanes (any, R, G, B), each 0..255 -> 0x00RRGGBB.
inline uint32_t Pack(uint64_t lanes) {
  uint64_t x = lanes & kColourLanes;
  x = (x | (x >> 8)) & 0x0000FFFF0000FFFFull;
  return static_cast<uint32_t>(x | (x >> 16));
}

// a + (b - a) * weight / 256 in every lane, rounded; weight 0..255.
inline uint64_t Lerp(uint64_t a, uint64_t b, uint32_t weight) {
  return ((a * (256 - weight) + b * weight + kLaneHalves) >> 8) & kLanes;
}

// round(x / 255) in every lane, for lane values up to 255 * 255.
inline uint64_t DivideLanesBy255(uint64_t x) {
  x += kLaneHalves;
  return ((x + ((x >> 8) & kLanes)) >> 8) & kLanes;
}

// round(a * b / 255) for a, b in 0..255.
inline uint32_t Mul255(uint32_t a, uint32_t b) {
  const uint32_t x = a * b + 128;
  return (x + (x >> 8)) >> 8;
}

enum class BlendMode { Alpha, Additive, General };

struct Diffuse {
  uint32_t alpha = 255;
  uint32_t red = 255;
  uint32_t green = 255;
  uint32_t blue = 255;
};

Diffuse UnpackDiffuse(uint32_t argb) {
  return {argb >> 24, (argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF};
}

uint32_t BlendFactorValue(BlendFactor factor, uint32_t alpha) {
  switch (factor) {
    case BlendFactor::Zero: return 0;
    case BlendFactor::One: return 255;
    case BlendFactor::SourceAlpha: return alpha;
    case BlendFactor::InverseSourceAlpha: return 255 - alpha;
  }
  return 0;
}

// Blends one filtered texel (lanes alpha, red, green, blue) into dst.
template <BlendMode kMode, bool kModulate>
inline void ShadePixel(uint32_t& dst, uint64_t texel, const Diffuse& diffuse) {
  const uint32_t texelAlpha = static_cast<uint32_t>(texel >> 48);
  if (texelAlpha == 0) return;  // wholly keyed: not drawn
  uint64_t colour = texel & kColourLanes;
  if constexpr (kModulate) {
    colour = (uint64_t{Mul255(static_cast<uint32_t>(colour >> 32), diffuse.red)} << 32) |
             (uint64_t{Mul255(static_cast<uint32_t>(colour >> 16) & 0xFF, diffuse.green)} << 16) |
             Mul255(static_cast<uint32_t>(colour) & 0xFF, diffuse.blue);
  }
  if constexpr (kMode == BlendMode::Additive) {
    uint64_t sum = colour + Expand(dst);
    sum |= ((sum >> 8) & kLaneOnes) * 0xFF;  // saturate lanes that passed 255
    dst = Pack(sum);
  } else {
    const uint32_t alpha = diffuse.alpha == 255 ? texelAlpha : Mul255(texelAlpha, diffuse.alpha);
    if constexpr (kMode == BlendMode::Alpha) {
      if (alpha == 255) {
        dst = Pack(colour);
      } else if (alpha != 0) {
        dst = Pack(DivideLanesBy255(colour * alpha + Expand(dst) * (255 - alpha)));
      }
    } else {
      const uint32_t fs = BlendFactorValue(displayState.sourceBlend, alpha);
      const uint32_t fd = BlendFactorValue(displayState.destinationBlend, alpha);
      const uint64_t d = Expand(dst);
      uint32_t out = 0;
      for (int shift = 0; shift <= 32; shift += 16) {
        const uint32_t s = static_cast<uint32_t>(colour >> shift) & 0xFF;
        const uint32_t t = static_cast<uint32_t>(d >> shift) & 0xFF;
        const uint32_t c = std::min<uint32_t>(255, (s * fs + t * fd + 127) / 255);
        out |= c << (shift / 2);
      }
      dst = out;
    }
  }
}

using ShadeFunction = void (*)(uint32_t&, uint64_t, const Diffuse&);

ShadeFunction PickShader(BlendMode mode, bool modulate) {
  switch (mode) {
    case BlendMode::Alpha:
      return modulate ? ShadePixel<BlendMode::Alpha, true> : ShadePixel<BlendMode::Alpha, false>;
    case BlendMode::Additive:
      return modulate ? ShadePixel<BlendMode::Additive, true> : ShadePixel<BlendMode::Additive, false>;
    case BlendMode::General:
      break;
  }
  return modulate ? ShadePixel<BlendMode::General, true> : ShadePixel<BlendMode::General, false>;
}

BlendMode CurrentBlendMode() {
  const BlendFactor s = displayState.sourceBlend;
  const BlendFactor d = displayState.destinationBlend;
  if (s == BlendFactor::SourceAlpha && d == BlendFactor::InverseSourceAlpha) return BlendMode::Alpha;
  if (s == BlendFactor::One && d == BlendFactor::One) return BlendMode::Additive;
  return BlendMode::General;
}

bool IsWhite(const Diffuse& d) { return d.red == 255 && d.green == 255 && d.blue == 255; }

//-----------------------------------------------------------------------------
// [SECTION] Two pixels at a time
//
// Eight 16-bit lanes: blue, green, red, alpha of one pixel, then of the next
// (the 64-bit words above, side by side). The compiler's portable vector
// types turn each operation into one instruction where the machine has them.
// Every lane goes through exactly the arithmetic of ShadePixel, so pairs and
// single pixels come out the same.
//-----------------------------------------------------------------------------

typedef uint16_t PixelPair __attribute__((vector_size(16)));
typedef uint64_t PixelPairHalves __attribute__((vector_size(16)));
typedef uint32_t PixelPairWords __attribute__((vector_size(8)));
typedef uint8_t PixelPairBytes __attribute__((vector_size(8)));

constexpr PixelPair kPairColourMask = {255, 255, 255, 0, 255, 255, 255, 0};

inline PixelPair Splat(uint32_t value) {
  const auto v = static_cast<uint16_t>(value);
  return PixelPair{v, v, v, v, v, v, v, v};
}

inline PixelPair PairOf(uint64_t first, uint64_t second) {
  return std::bit_cast<PixelPair>(PixelPairHalves{first, second});
}

inline PixelPair WidenPair(PixelPairWords pixels) {
  return __builtin_convertvector(std::bit_cast<PixelPairBytes>(pixels), PixelPair);
}

inline PixelPairWords LoadWords(const uint32_t* pixels) {
  PixelPairWords words;
  std::memcpy(&words, pixels, sizeof words);
  return words;
}

inline PixelPair LoadPair(const uint32_t* pixels) { return WidenPair(LoadWords(pixels)); }

inline void StorePair(uint32_t* pixels, PixelPair lanes) {
  const PixelPairBytes bytes = __builtin_convertvector(lanes & kPairColourMask, PixelPairBytes);
  std::memcpy(pixels, &bytes, sizeof bytes);
}

// Two texels as lanes: opaque, or all zero where keyed.
inline PixelPair TexelPair(PixelPairWords texels, uint32_t key) {
  const auto kept = std::bit_cast<PixelPairWords>(texels != key);
  return WidenPair((texels | 0xFF000000u) & kept);
}

inline PixelPair LerpPair(PixelPair a, PixelPair b, PixelPair weights) {
  return (a * (256 - weights) + b * weights + 128) >> 8;
}

inline PixelPair Mul255Pair(PixelPair a, PixelPair b) {
  const PixelPair x = a * b + 128;
  return (x + (x >> 8)) >> 8;
}

inline PixelPair DivideBy255Pair(PixelPair x) {
  x += 128;
  return (x + (x >> 8)) >> 8;
}

// Each pixel's alpha lane copied into its four lanes.
inline PixelPair AlphaOf(PixelPair lanes) {
  PixelPairHalves alpha = std::bit_cast<PixelPairHalves>(lanes) >> 48;
  alpha |= alpha << 16;
  alpha |= alpha << 32;
  return std::bit_cast<PixelPair>(alpha);
}

struct PairDiffuse {
  PixelPair colour;  // blue, green, red, 0, twice
  PixelPair alpha;
};

PairDiffuse MakePairDiffuse(const Diffuse& d) {
  const auto r = static_cast<uint16_t>(d.red), g = static_cast<uint16_t>(d.green);
  const auto b = static_cast<uint16_t>(d.blue);
  return {PixelPair{b, g, r, 0, b, g, r, 0}, Splat(d.alpha)};
}

// ShadePixel for the two pixels at dst.
template <BlendMode kMode, bool kModulate>
inline void ShadePair(uint32_t* dst, PixelPair texel, const Diffuse& diffuse, const PairDiffuse& pair) {
  if constexpr (kMode == BlendMode::General) {
    const auto halves = std::bit_cast<PixelPairHalves>(texel);
    ShadePixel<kMode, kModulate>(dst[0], halves[0], diffuse);
    ShadePixel<kMode, kModulate>(dst[1], halves[1], diffuse);
  } else {
    PixelPair colour = texel & kPairColourMask;
    if constexpr (kModulate) colour = Mul255Pair(colour, pair.colour);
    if constexpr (kMode == BlendMode::Additive) {
      // Keyed texels are black and add nothing.
      const PixelPair sum = colour + LoadPair(dst);
      StorePair(dst, sum | ((sum >> 8) * 255));  // lanes past 255 saturate
    } else {
      PixelPair alpha = AlphaOf(texel);
      if (diffuse.alpha != 255) {
        alpha = Mul255Pair(alpha, pair.alpha);
      } else {
        const auto halves = std::bit_cast<PixelPairHalves>(texel);
        if (((halves[0] & halves[1]) >> 48) == 255) {  // both opaque: a plain copy
          StorePair(dst, colour);
          return;
        }
      }
      // Alpha 0 (a keyed texel) leaves the destination exactly as it was.
      StorePair(dst, DivideBy255Pair(colour * alpha + LoadPair(dst) * (255 - alpha)));
    }
  }
}

//-----------------------------------------------------------------------------
// [SECTION] Sampling
//-----------------------------------------------------------------------------

// With keying off the key is a value no 0x00RRGGBB pixel can have.
constexpr uint32_t kNoKey = 0xFFFFFFFFu;

struct Texture {
  const uint32_t* pixels;
  int width;
  int height;
  uint32_t key;  // texels equal to this are keyed out
};

// A texel as lanes: opaque, or all zero (black, alpha 0) when keyed.
inline uint64_t TexelLanes(const Texture& texture, uint32_t texel) {
  return texel == texture.key ? 0 : Expand(texel) | kOpaque;
}

// Nearest texel of coordinate u (0..1 across size texels), clamped. The
// coordinate is rounded to 1/65536 texel first, so one that should fall
// exactly on a texel edge is not pushed to the wrong side by rounding noise.
int NearestIndex(double u, int size) {
  const double s = u * size;
  if (!(s > 0.0)) return 0;  // also NaN
  if (s >= size) return size - 1;
  const auto fixed = static_cast<int64_t>(std::floor(s * 65536.0 + 0.5));
  return std::min(static_cast<int>(fixed >> 16), size - 1);
}

// The two texels around u * size - 0.5 and the weight of the second, clamped.
ColumnSample BilinearSample(double u, int size) {
  const double s = u * size - 0.5;
  if (!(s > 0.0)) return {0, 0, 0};
  if (s >= size - 1) return {size - 1, size - 1, 0};
  const auto fixed = static_cast<int64_t>(std::floor(s * 256.0 + 0.5));
  const auto index = static_cast<int32_t>(fixed >> 8);
  return {index, std::min(index + 1, size - 1), static_cast<uint64_t>(fixed & 255) * kLaneOnes};
}

uint32_t Weight(const ColumnSample& sample) { return static_cast<uint32_t>(sample.weights & 0xFF); }

// Bilinear sample of one pixel: filters down the two columns first and then
// across, exactly as the rectangle path does a row at a time.
uint64_t SampleBilinear(const Texture& texture, const ColumnSample& across, const ColumnSample& down) {
  const uint32_t* row0 = texture.pixels + static_cast<size_t>(down.index0) * texture.width;
  const uint32_t* row1 = texture.pixels + static_cast<size_t>(down.index1) * texture.width;
  const uint64_t left =
      Lerp(TexelLanes(texture, row0[across.index0]), TexelLanes(texture, row1[across.index0]), Weight(down));
  const uint64_t right =
      Lerp(TexelLanes(texture, row0[across.index1]), TexelLanes(texture, row1[across.index1]), Weight(down));
  return Lerp(left, right, Weight(across));
}

//-----------------------------------------------------------------------------
// [SECTION] Rectangles (the fast path)
//-----------------------------------------------------------------------------

// Positions in 1/256 pixel.
constexpr double kSubpixels = 256.0;
// Vertices further out than this are refused (and keep the edge arithmetic
// well inside 64 bits).
constexpr double kMaxCoordinate = 1 << 20;

int64_t Snap(double x) { return static_cast<int64_t>(std::floor(x * kSubpixels + 0.5)); }

// The first whole pixel at or after a snapped position.
int64_t CeilPixel(int64_t x) { return -((-x) >> 8); }

// An axis-aligned rectangle with u following x and v following y.
struct Rectangle {
  int64_t x0, y0, x1, y1;  // edges in 1/256 pixel; x0 < x1, y0 < y1
  double u0, u1;           // u at x0 and x1
  double v0, v1;           // v at y0 and y1
  Diffuse diffuse;         // the same at every corner
};

double Interpolate(double a0, double a1, int64_t p0, int64_t p1, int pixel) {
  return a0 + (pixel * kSubpixels - static_cast<double>(p0)) / static_cast<double>(p1 - p0) * (a1 - a0);
}

struct PixelRange {
  int first;
  int end;  // one past the last
};

PixelRange CoveredPixels(int64_t p0, int64_t p1, int limit) {
  return {static_cast<int>(std::clamp<int64_t>(CeilPixel(p0), 0, limit)),
          static_cast<int>(std::clamp<int64_t>(CeilPixel(p1), 0, limit))};
}


// Filters texture row t across, into one lane word per visible screen
// column: the row's texels are widened to lanes once, then every column
// blends its two neighbours from them.
void FilterAcross(const Texture& texture, int t, PixelRange columns, PixelRange texels, uint64_t* out) {
  const auto& table = displayState.columns;
  const uint32_t* row = texture.pixels + static_cast<size_t>(t) * texture.width;
  uint64_t* lanes = displayState.texelLanes.data();
  int u = texels.first;
  for (; u + 1 < texels.end; u += 2) {
    const PixelPair pair = TexelPair(LoadWords(row + u), texture.key);
    std::memcpy(lanes + u, &pair, sizeof pair);
  }
  if (u < texels.end) lanes[u] = TexelLanes(texture, row[u]);
  int x = columns.first;
  for (; x + 1 < columns.end; x += 2) {
    const ColumnSample& a = table[x];
    const ColumnSample& b = table[x + 1];
    const PixelPair filtered = LerpPair(PairOf(lanes[a.index0], lanes[b.index0]),
                                        PairOf(lanes[a.index1], lanes[b.index1]), PairOf(a.weights, b.weights));
    std::memcpy(out + x, &filtered, sizeof filtered);
  }
  if (x < columns.end) {
    const ColumnSample& a = table[x];
    out[x] = Lerp(lanes[a.index0], lanes[a.index1], Weight(a));
  }
}

// Texture rows filtered across, two at a time: successive screen rows mostly
// read the same pair of texture rows, so each row is filtered once or twice
// however far the texture is magnified.
class AcrossRows {
 public:
  AcrossRows(const Texture& texture, PixelRange columns) : texture_(texture), columns_(columns) {
    // The texel columns that the visible pixels read (u runs one way across).
    const ColumnSample& left = displayState.columns[columns.first];
    const ColumnSample& right = displayState.columns[columns.end - 1];
    texels_ = {std::min(left.index0, right.index0), std::max(left.index1, right.index1) + 1};
  }

  const uint64_t* Row(int t, int keep) {
    auto& rows = displayState.acrossRows;
    for (int slot = 0; slot < 2; ++slot) {
      if (held_[slot] == t) return rows[slot].data();
    }
    const int slot = held_[0] == keep ? 1 : 0;
    FilterAcross(texture_, t, columns_, texels_, rows[slot].data());
    held_[slot] = t;
    return rows[slot].data();
  }

 private:
  const Texture& texture_;
  PixelRange columns_;
  PixelRange texels_;
  int held_[2] = {-1, -1};  // the texture row in each slot
};

template <BlendMode kMode, bool kModulate>
void FillBilinear(const Texture& texture, const Rectangle& rect, PixelRange columns, PixelRange rows) {
  auto& table = displayState.columns;
  for (int x = columns.first; x < columns.end; ++x) {
    table[x] = BilinearSample(Interpolate(rect.u0, rect.u1, rect.x0, rect.x1, x), texture.width);
  }
  AcrossRows across(texture, columns);
  const PairDiffuse pair = MakePairDiffuse(rect.diffuse);
  // With nothing keyed out every texel is opaque, and an opaque draw of
  // unmodulated texels is a plain copy of the filtered colour.
  const bool copy = kMode == BlendMode::Alpha && !kModulate && rect.diffuse.alpha == 255 && texture.key == kNoKey;
  for (int y = rows.first; y < rows.end; ++y) {
    const ColumnSample down = BilinearSample(Interpolate(rect.v0, rect.v1, rect.y0, rect.y1, y), texture.height);
    const uint64_t* upper = across.Row(down.index0, down.index1);
    const uint64_t* lower = across.Row(down.index1, down.index0);
    const uint32_t weight = Weight(down);
    const PixelPair weights = PairOf(down.weights, down.weights);
    uint32_t* out = displayState.backBuffer.data() + static_cast<size_t>(y) * kScreenWidth;
    int x = columns.first;
    for (; x + 1 < columns.end; x += 2) {
      PixelPair texels;
      std::memcpy(&texels, upper + x, sizeof texels);
      if (weight != 0) {
        PixelPair below;
        std::memcpy(&below, lower + x, sizeof below);
        texels = LerpPair(texels, below, weights);
      }
      if (copy) {
        StorePair(out + x, texels);
      } else {
        ShadePair<kMode, kModulate>(out + x, texels, rect.diffuse, pair);
      }
    }
    if (x < columns.end) ShadePixel<kMode, kModulate>(out[x], Lerp(upper[x], lower[x], weight), rect.diffuse);
  }
}

template <BlendMode kMode, bool kModulate>
void FillNearest(const Texture& texture, const Rectangle& rect, PixelRange columns, PixelRange rows) {
  auto& table = displayState.columns;
  for (int x = columns.first; x < columns.end; ++x) {
    table[x].index0 = NearestIndex(Interpolate(rect.u0, rect.u1, rect.x0, rect.x1, x), texture.width);
  }
  // An opaque copy needs no arithmetic at all.
  const bool copy = kMode == BlendMode::Alpha && !kModulate && rect.diffuse.alpha == 255;
  const PairDiffuse pair = MakePairDiffuse(rect.diffuse);
  for (int y = rows.first; y < rows.end; ++y) {
    const int v = NearestIndex(Interpolate(rect.v0, rect.v1, rect.y0, rect.y1, y), texture.height);
    const uint32_t* row = texture.pixels + static_cast<size_t>(v) * texture.width;
    uint32_t* out = displayState.backBuffer.data() + static_cast<size_t>(y) * kScreenWidth;
    if (copy) {
      for (int x = columns.first; x < columns.end; ++x) {
        const uint32_t texel = row[table[x].index0];
        if (texel != texture.key) out[x] = texel;
      }
      continue;
    }
    int x = columns.first;
    for (; x + 1 < columns.end; x += 2) {
      const PixelPairWords texels = {row[table[x].index0], row[table[x + 1].index0]};
      ShadePair<kMode, kModulate>(out + x, TexelPair(texels, texture.key), rect.diffuse, pair);
    }
    if (x < columns.end) {
      ShadePixel<kMode, kModulate>(out[x], TexelLanes(texture, row[table[x].index0]), rect.diffuse);
    }
  }
}

template <BlendMode kMode, bool kModulate>
void FillRectangleWith(const Texture& texture, const Rectangle& rect, PixelRange columns, PixelRange rows) {
  if (displayState.smoothing) {
    FillBilinear<kMode, kModulate>(texture, rect, columns, rows);
  } else {
    FillNearest<kMode, kModulate>(texture, rect, columns, rows);
  }
}

void FillRectangle(const Texture& texture, const Rectangle& rect) {
  const PixelRange columns = CoveredPixels(rect.x0, rect.x1, kScreenWidth);
  const PixelRange rows = CoveredPixels(rect.y0, rect.y1, kScreenHeight);
  if (columns.first >= columns.end || rows.first >= rows.end) return;
  const bool modulate = !IsWhite(rect.diffuse);
  switch (CurrentBlendMode()) {
    case BlendMode::Alpha:
      if (modulate) return FillRectangleWith<BlendMode::Alpha, true>(texture, rect, columns, rows);
      return FillRectangleWith<BlendMode::Alpha, false>(texture, rect, columns, rows);
    case BlendMode::Additive:
      if (modulate) return FillRectangleWith<BlendMode::Additive, true>(texture, rect, columns, rows);
      return FillRectangleWith<BlendMode::Additive, false>(texture, rect, columns, rows);
    case BlendMode::General:
      if (modulate) return FillRectangleWith<BlendMode::General, true>(texture, rect, columns, rows);
      return FillRectangleWith<BlendMode::General, false>(texture, rect, columns, rows);
  }
}

bool UsableVertex(const TexturedVertex& v) {
  return std::isfinite(v.x) && std::isfinite(v.y) && std::fabs(v.x) < kMaxCoordinate &&
         std::fabs(v.y) < kMaxCoordinate && std::isfinite(v.u) && std::isfinite(v.v);
}

// True (and rect filled) when the six vertices are two triangles that
// exactly tile an axis-aligned rectangle, split along a diagonal, with u
// depending on x only, v on y only, and one diffuse colour: then both
// triangles together cover exactly the rectangle's pixels, interpolate the
// same way, and the rectangle path draws them.
bool MatchRectangle(const TexturedVertex* v, Rectangle& rect) {
  int64_t xs[6];
  int64_t ys[6];
  for (int i = 0; i < 6; ++i) {
    if (!UsableVertex(v[i]) || v[i].colour != v[0].colour) return false;
    xs[i] = Snap(v[i].x);
    ys[i] = Snap(v[i].y);
  }
  const int64_t x0 = *std::min_element(xs, xs + 6);
  const int64_t x1 = *std::max_element(xs, xs + 6);
  const int64_t y0 = *std::min_element(ys, ys + 6);
  const int64_t y1 = *std::max_element(ys, ys + 6);
  if (x0 == x1 || y0 == y1) return false;
  double u[2] = {0.0, 0.0};
  double t[2] = {0.0, 0.0};
  bool uSeen[2] = {false, false};
  bool vSeen[2] = {false, false};
  int missing[2];  // the corner each triangle leaves out
  for (int triangle = 0; triangle < 2; ++triangle) {
    int corners = 0;
    for (int k = 0; k < 3; ++k) {
      const int i = triangle * 3 + k;
      if ((xs[i] != x0 && xs[i] != x1) || (ys[i] != y0 && ys[i] != y1)) return false;
      const int right = xs[i] == x1 ? 1 : 0;
      const int bottom = ys[i] == y1 ? 1 : 0;
      if (uSeen[right] && u[right] != v[i].u) return false;
      if (vSeen[bottom] && t[bottom] != v[i].v) return false;
      u[right] = v[i].u;
      t[bottom] = v[i].v;
      uSeen[right] = vSeen[bottom] = true;
      corners |= 1 << (right + 2 * bottom);
    }
    if (corners == 0b0111) {
      missing[triangle] = 3;
    } else if (corners == 0b1011) {
      missing[triangle] = 2;
    } else if (corners == 0b1101) {
      missing[triangle] = 1;
    } else if (corners == 0b1110) {
      missing[triangle] = 0;
    } else {
      return false;  // a corner used twice: a degenerate triangle
    }
  }
  // The two left-out corners must be opposite: the triangles share a diagonal.
  if ((missing[0] ^ missing[1]) != 3) return false;
  rect = {x0, y0, x1, y1, u[0], u[1], t[0], t[1], UnpackDiffuse(v[0].colour)};
  return true;
}

//-----------------------------------------------------------------------------
// [SECTION] Repeated additive rectangles
//
// The glow pass adds up to a thousand small rectangles of one texture in one
// draw, most of them copies of a few: the same texture cell at the same
// fraction of a pixel. What an additive rectangle adds to a pixel does not
// depend on the pixel, and where a rectangle moves by whole pixels, its
// column and row samples move with it unchanged. So within one draw every
// different rectangle is filtered once, whole, into a picture of what it
// adds, and each copy adds its picture with a saturating add: exactly the
// sums that filtering every copy gives.
//-----------------------------------------------------------------------------

// Pictures are kept only for rectangles up to this size (a glow is at most
// 81 x 70), and for at most this many pixels a draw (a megabyte; the heaviest
// glow passes need less than a quarter of it).
constexpr int64_t kMaxPicturePixels = 128 * 128;
constexpr size_t kMaxPicturesPixels = 256 * 1024;

// What decides a rectangle's picture, besides the texture of the draw.
struct PictureKey {
  int64_t x0Fraction, width, y0Fraction, height;  // 1/256 pixel
  double u0, u1, v0, v1;
  uint32_t alpha, red, green, blue;

  bool operator==(const PictureKey&) const = default;
};

constexpr size_t kNoPicture = SIZE_MAX;

struct Picture {
  PictureKey key;
  size_t offset;  // into the draw's picture pixels; kNoPicture until the rectangle's second copy
};

struct Pictures {
  std::vector<Picture> pictures;
  std::vector<uint32_t> pixels;  // 0x00RRGGBB: what each pixel of a picture adds
};

Pictures drawPictures;  // the current draw's; the storage is kept for the next

PictureKey KeyOf(const Rectangle& rect) {
  return {rect.x0 & 255, rect.x1 - rect.x0, rect.y0 & 255, rect.y1 - rect.y0, rect.u0, rect.u1, rect.v0, rect.v1,
          rect.diffuse.alpha, rect.diffuse.red, rect.diffuse.green, rect.diffuse.blue};
}

// What the rectangle adds to each of its pixels, from (firstX, firstY) on,
// computed as FillBilinear and ShadePair do for the Additive mode.
template <bool kModulate>
void FilterPicture(const Texture& texture, const Rectangle& rect, int firstX, int firstY, int width, int height,
                   uint32_t* picture) {
  auto& table = displayState.columns;
  for (int i = 0; i < width; ++i) {
    table[i] = BilinearSample(Interpolate(rect.u0, rect.u1, rect.x0, rect.x1, firstX + i), texture.width);
  }
  AcrossRows across(texture, {0, width});
  const PairDiffuse pair = MakePairDiffuse(rect.diffuse);
  for (int j = 0; j < height; ++j) {
    const ColumnSample down =
        BilinearSample(Interpolate(rect.v0, rect.v1, rect.y0, rect.y1, firstY + j), texture.height);
    const uint64_t* upper = across.Row(down.index0, down.index1);
    const uint64_t* lower = across.Row(down.index1, down.index0);
    const PixelPair weights = PairOf(down.weights, down.weights);
    uint32_t* out = picture + static_cast<size_t>(j) * width;
    int i = 0;
    for (; i + 1 < width; i += 2) {
      PixelPair texels, below;
      std::memcpy(&texels, upper + i, sizeof texels);
      std::memcpy(&below, lower + i, sizeof below);
      PixelPair colour = LerpPair(texels, below, weights) & kPairColourMask;
      if constexpr (kModulate) colour = Mul255Pair(colour, pair.colour);
      StorePair(out + i, colour);
    }
    if (i < width) {
      const uint64_t colour = Lerp(upper[i], lower[i], Weight(down)) & kColourLanes;
      if constexpr (kModulate) {
        const Diffuse& d = rect.diffuse;
        out[i] = Mul255(static_cast<uint32_t>(colour >> 32), d.red) << 16 |
                 Mul255(static_cast<uint32_t>(colour >> 16) & 0xFF, d.green) << 8 |
                 Mul255(static_cast<uint32_t>(colour) & 0xFF, d.blue);
      } else {
        out[i] = Pack(colour);
      }
    }
  }
}

typedef uint8_t PixelBytes4 __attribute__((vector_size(16)));
constexpr PixelBytes4 kColourBytes = {255, 255, 255, 0, 255, 255, 255, 0, 255, 255, 255, 0, 255, 255, 255, 0};

// Every byte of a plus b, at most 255: one instruction on x86-64.
inline PixelBytes4 AddBytesSaturated(PixelBytes4 a, PixelBytes4 b) {
#if defined(__SSE2__)
  return reinterpret_cast<PixelBytes4>(_mm_adds_epu8(reinterpret_cast<__m128i>(a), reinterpret_cast<__m128i>(b)));
#else
  const PixelBytes4 sum = a + b;
  return sum | reinterpret_cast<PixelBytes4>(sum < a);  // the bytes that wrapped round
#endif
}

// Every channel of each pixel plus the picture's, at most 255 (the byte
// above the channels cleared, as Pack does).
inline void AddSaturated(uint32_t* out, const uint32_t* add, int count) {
  int i = 0;
  for (; i + 4 <= count; i += 4) {
    PixelBytes4 a, b;
    std::memcpy(&a, out + i, sizeof a);
    std::memcpy(&b, add + i, sizeof b);
    const PixelBytes4 sum = AddBytesSaturated(a, b) & kColourBytes;
    std::memcpy(out + i, &sum, sizeof sum);
  }
  for (; i < count; ++i) {
    const uint64_t sum = Expand(out[i]) + Expand(add[i]);
    out[i] = Pack(sum | ((sum >> 8) & kLaneOnes) * 0xFF);
  }
}

// Draws an additive, smoothed rectangle from its picture, filtering the
// picture first when the rectangle is the second of its kind in this draw.
// False when it is to be drawn directly: the first of its kind, one too large
// to keep, or one that no longer fits in the draw's pictures.
bool AddPicture(const Texture& texture, const Rectangle& rect) {
  const int firstX = static_cast<int>(CeilPixel(rect.x0)), firstY = static_cast<int>(CeilPixel(rect.y0));
  const int width = static_cast<int>(CeilPixel(rect.x1)) - firstX;
  const int height = static_cast<int>(CeilPixel(rect.y1)) - firstY;
  const int64_t area = int64_t{width} * height;
  const PixelRange columns = CoveredPixels(rect.x0, rect.x1, kScreenWidth);
  const PixelRange rows = CoveredPixels(rect.y0, rect.y1, kScreenHeight);
  if (columns.first >= columns.end || rows.first >= rows.end) return true;  // nothing shows
  if (area > kMaxPicturePixels || width > kScreenWidth) return false;
  const PictureKey key = KeyOf(rect);
  Pictures& p = drawPictures;
  auto found = std::find_if(p.pictures.begin(), p.pictures.end(), [&key](const Picture& q) { return q.key == key; });
  if (found == p.pictures.end()) {
    p.pictures.push_back({key, kNoPicture});
    return false;
  }
  Picture* picture = &*found;
  if (picture->offset == kNoPicture) {
    if (p.pixels.size() + static_cast<size_t>(area) > kMaxPicturesPixels) return false;
    if (p.pixels.capacity() < kMaxPicturesPixels) p.pixels.reserve(kMaxPicturesPixels);
    picture->offset = p.pixels.size();
    p.pixels.resize(picture->offset + static_cast<size_t>(area));
    if (IsWhite(rect.diffuse)) {
      FilterPicture<false>(texture, rect, firstX, firstY, width, height, p.pixels.data() + picture->offset);
    } else {
      FilterPicture<true>(texture, rect, firstX, firstY, width, height, p.pixels.data() + picture->offset);
    }
  }
  const uint32_t* pixels = p.pixels.data() + picture->offset;
  for (int y = rows.first; y < rows.end; ++y) {
    AddSaturated(displayState.backBuffer.data() + static_cast<size_t>(y) * kScreenWidth + columns.first,
                 pixels + static_cast<size_t>(y - firstY) * width + (columns.first - firstX),
                 columns.end - columns.first);
  }
  return true;
}

//-----------------------------------------------------------------------------
// [SECTION] General triangles
//-----------------------------------------------------------------------------

// A linear attribute a(x, y) = at + dx * (x - x0) + dy * (y - y0).
struct Plane {
  double at, dx, dy;
  double At(double x, double y) const { return at + dx * x + dy * y; }
};

Plane MakePlane(const double px[3], const double py[3], double a0, double a1, double a2) {
  const double ex1 = px[1] - px[0], ey1 = py[1] - py[0];
  const double ex2 = px[2] - px[0], ey2 = py[2] - py[0];
  const double area = ex1 * ey2 - ex2 * ey1;
  const double dx = ((a1 - a0) * ey2 - (a2 - a0) * ey1) / area;
  const double dy = ((a2 - a0) * ex1 - (a1 - a0) * ex2) / area;
  return {a0 - dx * px[0] - dy * py[0], dx, dy};
}

uint32_t ChannelAt(const Plane& plane, double x, double y) {
  return static_cast<uint32_t>(std::clamp(std::floor(plane.At(x, y) + 0.5), 0.0, 255.0));
}

void DrawTriangle(const Texture& texture, const TexturedVertex* a, const TexturedVertex* b, const TexturedVertex* c) {
  if (!UsableVertex(*a) || !UsableVertex(*b) || !UsableVertex(*c)) return;
  int64_t xs[3] = {Snap(a->x), Snap(b->x), Snap(c->x)};
  int64_t ys[3] = {Snap(a->y), Snap(b->y), Snap(c->y)};
  int64_t area = (xs[1] - xs[0]) * (ys[2] - ys[0]) - (ys[1] - ys[0]) * (xs[2] - xs[0]);
  if (area == 0) return;
  if (area < 0) {  // either winding is drawn; order the corners so inside is positive
    std::swap(xs[1], xs[2]);
    std::swap(ys[1], ys[2]);
    std::swap(b, c);
  }
  const TexturedVertex* vertex[3] = {a, b, c};

  // Edge i runs from corner i to corner i + 1. Inside, every edge function
  // (ex * (py - y) - ey * (px - x)) is positive; on the edge it is zero, and
  // the pixel counts when the edge is a top edge (horizontal, running right)
  // or a left edge (running up).
  int64_t ex[3], ey[3], bias[3];
  for (int i = 0; i < 3; ++i) {
    const int j = (i + 1) % 3;
    ex[i] = xs[j] - xs[i];
    ey[i] = ys[j] - ys[i];
    const bool topLeft = (ey[i] == 0 && ex[i] > 0) || ey[i] < 0;
    bias[i] = topLeft ? 0 : -1;
  }

  const PixelRange columns = {
      static_cast<int>(std::clamp<int64_t>(CeilPixel(*std::min_element(xs, xs + 3)), 0, kScreenWidth)),
      static_cast<int>(std::clamp<int64_t>((*std::max_element(xs, xs + 3) >> 8) + 1, 0, kScreenWidth))};
  const PixelRange rows = {
      static_cast<int>(std::clamp<int64_t>(CeilPixel(*std::min_element(ys, ys + 3)), 0, kScreenHeight)),
      static_cast<int>(std::clamp<int64_t>((*std::max_element(ys, ys + 3) >> 8) + 1, 0, kScreenHeight))};
  if (columns.first >= columns.end || rows.first >= rows.end) return;

  double px[3], py[3];
  for (int i = 0; i < 3; ++i) {
    px[i] = static_cast<double>(xs[i]) / kSubpixels;
    py[i] = static_cast<double>(ys[i]) / kSubpixels;
  }
  const Plane u = MakePlane(px, py, vertex[0]->u, vertex[1]->u, vertex[2]->u);
  const Plane v = MakePlane(px, py, vertex[0]->v, vertex[1]->v, vertex[2]->v);
  const bool flat = a->colour == b->colour && a->colour == c->colour;
  Plane channel[4];
  for (int k = 0; k < 4; ++k) {
    const int shift = 24 - 8 * k;  // alpha, red, green, blue
    channel[k] = MakePlane(px, py, (vertex[0]->colour >> shift) & 0xFF, (vertex[1]->colour >> shift) & 0xFF,
                           (vertex[2]->colour >> shift) & 0xFF);
  }
  const Diffuse flatDiffuse = UnpackDiffuse(a->colour);
  const BlendMode mode = CurrentBlendMode();
  const ShadeFunction flatShader = PickShader(mode, !IsWhite(flatDiffuse));

  for (int y = rows.first; y < rows.end; ++y) {
    uint32_t* out = displayState.backBuffer.data() + static_cast<size_t>(y) * kScreenWidth;
    const int64_t sy = int64_t{y} * 256;
    for (int x = columns.first; x < columns.end; ++x) {
      const int64_t sx = int64_t{x} * 256;
      bool inside = true;
      for (int i = 0; i < 3 && inside; ++i) {
        inside = ex[i] * (sy - ys[i]) - ey[i] * (sx - xs[i]) + bias[i] >= 0;
      }
      if (!inside) continue;
      const double fx = x;
      const double fy = y;
      uint64_t texel;
      if (displayState.smoothing) {
        texel = SampleBilinear(texture, BilinearSample(u.At(fx, fy), texture.width),
                               BilinearSample(v.At(fx, fy), texture.height));
      } else {
        const uint32_t raw = texture.pixels[static_cast<size_t>(NearestIndex(v.At(fx, fy), texture.height)) *
                                                texture.width +
                                            NearestIndex(u.At(fx, fy), texture.width)];
        texel = TexelLanes(texture, raw);
      }
      if (flat) {
        flatShader(out[x], texel, flatDiffuse);
      } else {
        const Diffuse d = {ChannelAt(channel[0], fx, fy), ChannelAt(channel[1], fx, fy),
                           ChannelAt(channel[2], fx, fy), ChannelAt(channel[3], fx, fy)};
        PickShader(mode, !IsWhite(d))(out[x], texel, d);
      }
    }
  }
}

//-----------------------------------------------------------------------------
// [SECTION] Quad and triangle operations
//-----------------------------------------------------------------------------

Quad* FindQuad(int q) {
  if (q < 0 || static_cast<size_t>(q) >= displayState.quads.size()) return nullptr;
  Quad& quad = displayState.quads[static_cast<size_t>(q)];
  return quad.sprite >= 0 ? &quad : nullptr;
}

// The texture sprite n, ready for sampling; false when n is not a texture.
bool UseTexture(int n, Texture& texture) {
  const Sprite* sprite = FindSprite(n);
  if (sprite == nullptr || sprite->kind != ImageKind::TextureImage) return false;
  texture = {sprite->pixels.data(), sprite->width, sprite->height, displayState.colourKeying ? sprite->key : kNoKey};
  auto& lanes = displayState.texelLanes;
  if (lanes.size() < static_cast<size_t>(sprite->width)) lanes.resize(static_cast<size_t>(sprite->width));
  return true;
}

}  // namespace

void ResetQuadState() {
  displayState.quads.clear();
  displayState.sourceBlend = BlendFactor::SourceAlpha;
  displayState.destinationBlend = BlendFactor::InverseSourceAlpha;
  displayState.smoothing = false;
  displayState.colourKeying = true;
  displayState.textureClamp = false;
  displayState.inScene = false;
}

void CreateQuad(int q, int n) {
  const Sprite* sprite = FindSprite(n);
  if (q < 0 || q > kMaxImageNumber || sprite == nullptr || sprite->kind != ImageKind::TextureImage) return;
  auto& quads = displayState.quads;
  if (static_cast<size_t>(q) >= quads.size()) quads.resize(static_cast<size_t>(q) + 1);
  quads[static_cast<size_t>(q)] = {n, static_cast<float>(sprite->width), static_cast<float>(sprite->height)};
}

void SizeQuad(int q, int width, int height) {
  if (Quad* quad = FindQuad(q)) {
    quad->width = static_cast<float>(width);
    quad->height = static_cast<float>(height);
  }
}

void BeginQuads() {
  displayState.inScene = true;
  displayState.sourceBlend = BlendFactor::SourceAlpha;
  displayState.destinationBlend = BlendFactor::InverseSourceAlpha;
  displayState.colourKeying = true;
}

void EndQuads() { displayState.inScene = false; }

void SetQuadBlend(BlendFactor source, BlendFactor destination) {
  displayState.sourceBlend = source;
  displayState.destinationBlend = destination;
}

void SetQuadSmoothing(bool on) { displayState.smoothing = on; }

void SetQuadColourKeying(bool on) { displayState.colourKeying = on; }

// Texture addressing is always clamped; this only records that the game
// asked for it.
void SetTextureClamp() { displayState.textureClamp = true; }

// Texture colour x white with the given alpha, the quad's top-left at (x, y).
void DrawQuad(int q, int x, int y, int alpha) {
  const Quad* quad = FindQuad(q);
  Texture texture;
  if (quad == nullptr || !UseTexture(quad->sprite, texture)) return;
  int64_t x0 = Snap(x);
  int64_t x1 = Snap(static_cast<double>(x) + quad->width);
  int64_t y0 = Snap(y);
  int64_t y1 = Snap(static_cast<double>(y) + quad->height);
  double u0 = 0.0, u1 = 1.0, v0 = 0.0, v1 = 1.0;
  if (x1 < x0) {  // a negative size mirrors the texture
    std::swap(x0, x1);
    std::swap(u0, u1);
  }
  if (y1 < y0) {
    std::swap(y0, y1);
    std::swap(v0, v1);
  }
  if (x0 == x1 || y0 == y1) return;
  const Diffuse white = {static_cast<uint32_t>(std::clamp(alpha, 0, 255)), 255, 255, 255};
  FillRectangle(texture, {x0, y0, x1, y1, u0, u1, v0, v1, white});
}

void DrawTexturedTriangles(int n, const TexturedVertex* vertices, int count) {
  Texture texture;
  if (vertices == nullptr || count < 3 || !UseTexture(n, texture)) return;
  // Pictures pay off when a draw holds more than one rectangle.
  const bool pictures = count >= 12 && displayState.smoothing && CurrentBlendMode() == BlendMode::Additive;
  drawPictures.pictures.clear();
  drawPictures.pixels.clear();
  int i = 0;
  while (i + 3 <= count) {
    Rectangle rect;
    if (i + 6 <= count && MatchRectangle(vertices + i, rect)) {
      if (!pictures || !AddPicture(texture, rect)) FillRectangle(texture, rect);
      i += 6;
    } else {
      DrawTriangle(texture, vertices + i, vertices + i + 1, vertices + i + 2);
      i += 3;
    }
  }
}
