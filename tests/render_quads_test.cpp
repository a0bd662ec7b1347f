// Textured quads and triangles: scaling with both filters, blending, colour
// keying, clamping, clipping and triangle coverage, read back from the screen.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

#include "platform/headless.h"
#include "render/display.h"

namespace {

using PixelFunction = std::function<uint32_t(int x, int y)>;

uint32_t Screen(int x, int y) { return BackBuffer()[y * kScreenWidth + x]; }
int Red(uint32_t p) { return static_cast<int>(p >> 16 & 0xFF); }
int Green(uint32_t p) { return static_cast<int>(p >> 8 & 0xFF); }
int Blue(uint32_t p) { return static_cast<int>(p & 0xFF); }
uint32_t Rgb(int r, int g, int b) { return static_cast<uint32_t>(r << 16 | g << 8 | b); }
// Every texel different, none magenta.
uint32_t Patterned(int x, int y) { return Rgb(x, y, (x ^ y) & 0x7F); }

void MakeTexture(int n, int width, int height, const PixelFunction& pixel) {
  ASSERT_TRUE(CreateSprite(n, width, height, true));
  for (int i = 0; i < width * height; ++i) SpritePixelsForWriting(n)[i] = pixel(i % width, i / width);
  CreateQuad(n, n);
}

// Paints the whole screen through an ordinary blit.
void FillScreen(const PixelFunction& pixel) {
  ASSERT_TRUE(CreateSprite(900, kScreenWidth, kScreenHeight, false));
  for (int i = 0; i < kScreenWidth * kScreenHeight; ++i) {
    SpritePixelsForWriting(900)[i] = pixel(i % kScreenWidth, i / kScreenWidth);
  }
  SelectTarget(ScreenTarget);
  Blit(900, 0, 0);
  FreeSprite(900);
}

TexturedVertex Vertex(float x, float y, float u, float v, uint32_t colour = 0xFFFFFFFF) {
  return {x, y, 0.5f, 1.0f, colour, u, v};
}

class DisplayQuads : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::headless::Reset();
    ResetDisplayServices();
    SetTransparentColour(-1, MakeColour(255, 0, 255));
    BeginQuads();
  }
  void TearDown() override { ResetDisplayServices(); }
};

TEST_F(DisplayQuads, NearestScalingPicksTheTexelUnderEachPixelCentre) {
  MakeTexture(25, 256, 256, Patterned);
  SizeQuad(25, 512, 512);  // exactly doubled at (64, 16), black around it, the bottom off the screen
  DrawQuad(25, 64, 16, 255);
  for (int i = 0; i < kScreenWidth * kScreenHeight; ++i) {
    const int x = i % kScreenWidth, y = i / kScreenWidth;
    const bool inside = x >= 64 && x < 576 && y >= 16;
    ASSERT_EQ(Screen(x, y), inside ? Patterned((x - 64) / 2, (y - 16) / 2) : 0u) << x << "," << y;
  }
  SizeQuad(25, 640, 548);  // stretched: texel floor(x * 256 / 640), floor(y * 256 / 548)
  DrawQuad(25, 0, 0, 255);
  for (int i = 0; i < kScreenWidth * kScreenHeight; ++i) {
    const int x = i % kScreenWidth, y = i / kScreenWidth;
    ASSERT_EQ(Screen(x, y), Patterned(x * 256 / 640, y * 256 / 548)) << x << "," << y;
  }
}

// Red alternates 0, 200 across the texture, blue 0, 200 down it, green rises
// by one per column: midpoints and clamped edges are exact, and every pixel
// lies between the two texels it is filtered from.
TEST_F(DisplayQuads, BilinearScalingBlendsNeighboursAndClampsAtTheEdges) {
  auto texel = [](int x, int y) { return Rgb(x % 2 * 200, x, y % 2 * 200); };
  MakeTexture(25, 256, 256, texel);
  SizeQuad(25, 640, 548);
  SetQuadSmoothing(true);
  DrawQuad(25, 0, 0, 255);
  for (int x = 0; x < kScreenWidth; ++x) {
    const int below = static_cast<int>(std::floor(x * 256.0 / 640.0 - 0.5));  // texel centres on halves
    ASSERT_GE(Green(Screen(x, 0)), std::clamp(below, 0, 255)) << x;
    ASSERT_LE(Green(Screen(x, 0)), std::clamp(below + 1, 0, 255)) << x;
    if (x % 5 == 0 && x > 0) {
      ASSERT_EQ(Red(Screen(x, 0)), 100) << x;  // halfway, at 2m - 0.5
    }
  }
  EXPECT_EQ(Screen(0, 0), texel(0, 0));
  EXPECT_EQ(Screen(1, 0), texel(0, 0));  // samples at -0.1: clamped
  EXPECT_EQ(Screen(639, 0), texel(255, 0));
  // Row 137 samples at 137 * 256 / 548 - 0.5 = 63.5, halfway between rows 63 and 64.
  EXPECT_EQ(Screen(5, 137), Rgb(100, Green(Screen(5, 0)), 100));
}

// Every texel value over every screen value: round((s*a + d*(255-a)) / 255).
TEST_F(DisplayQuads, AlphaBlendingIsExactlyRounded) {
  MakeTexture(26, 256, 1, [](int x, int) { return Rgb(x, 255 - x, x / 2); });
  SizeQuad(26, 256, 256);
  auto screen = [](int, int y) { return Rgb(y & 0xFF, (y * 7) & 0xFF, 255 - (y & 0xFF)); };
  for (int alpha : {0, 12, 24, 48, 51, 128, 254, 255}) {
    FillScreen(screen);
    DrawQuad(26, 0, 0, alpha);
    auto blend = [alpha](int s, int d) {
      return static_cast<int>(std::lround((s * alpha + d * (255 - alpha)) / 255.0));
    };
    for (int y = 0; y < 256; ++y) {
      for (int x = 0; x < 256; ++x) {
        const uint32_t d = screen(x, y);
        ASSERT_EQ(Screen(x, y), Rgb(blend(x, Red(d)), blend(255 - x, Green(d)), blend(x / 2, Blue(d))))
            << "alpha " << alpha << " at " << x << "," << y;
      }
    }
    EXPECT_EQ(Screen(256, 5), screen(256, 5));
  }
}

TEST_F(DisplayQuads, AdditiveBlendingSaturatesAndKeyedTexelsAreSkipped) {
  const uint32_t texels[4] = {0xFF00FF, Rgb(200, 100, 30), Rgb(10, 20, 30), 0xFFFFFF};
  MakeTexture(27, 4, 1, [&](int x, int) { return texels[x]; });
  FillScreen([](int, int) { return Rgb(100, 100, 250); });
  SetQuadBlend(BlendFactor::One, BlendFactor::One);
  DrawQuad(27, 0, 0, 77);  // alpha plays no part in adding
  const uint32_t added[5] = {Rgb(100, 100, 250), Rgb(255, 200, 255), Rgb(110, 120, 255), 0xFFFFFF, Rgb(100, 100, 250)};
  for (int x = 0; x < 5; ++x) EXPECT_EQ(Screen(x, 0), added[x]) << x;
  BeginQuads();  // back to normal blending
  DrawQuad(27, 0, 1, 255);
  EXPECT_EQ(Screen(0, 1), Rgb(100, 100, 250));
  EXPECT_EQ(Screen(1, 1), texels[1]);
}

// Under bilinear filtering a keyed texel is black with alpha 0: pixels that
// see only keyed texels stay untouched, pixels next to them fade out.
TEST_F(DisplayQuads, BilinearKeyingFadesTowardsKeyedTexels) {
  MakeTexture(28, 2, 1, [](int x, int) { return x == 0 ? 0xFF00FFu : 0xFFFFFFu; });
  FillScreen([](int, int) { return Rgb(100, 100, 100); });
  SetQuadSmoothing(true);
  SizeQuad(28, 8, 1);  // pixel x samples at x / 4 - 0.5
  DrawQuad(28, 0, 0, 255);
  for (int x = 0; x <= 2; ++x) EXPECT_EQ(Screen(x, 0), Rgb(100, 100, 100)) << x;
  EXPECT_NEAR(Red(Screen(3, 0)), 91, 1);  // a quarter of white: colour 64 at alpha 64 over 100
  EXPECT_GT(Red(Screen(4, 0)), Red(Screen(3, 0)));
  EXPECT_EQ(Screen(6, 0), 0xFFFFFFu);
  EXPECT_EQ(Screen(7, 0), 0xFFFFFFu);
  SizeQuad(28, -2, 1);  // mirrored: an opaque pixel beside a half-keyed one
  DrawQuad(28, 2, 1, 255);
  EXPECT_EQ(Screen(0, 1), 0xFFFFFFu);
  EXPECT_NEAR(Red(Screen(1, 1)), 114, 1);  // colour 128 at alpha 128 over 100
}

// The scanline tile laid over the screen as the frame does it: even rows
// darken to exactly 204/255, the magenta odd rows leave the picture alone.
TEST_F(DisplayQuads, ScanlineTilesDarkenEvenRowsOnly) {
  ASSERT_TRUE(CreateSprite(30, 32, 32, true));
  BeginPaint(30);
  PaintBox(0, 0, 32, 32, MakeColour(255, 0, 255));
  for (int i = 0; i < 16; ++i) PaintLine(0, 2 * i, 32, 0, MakeColour(0, 0, 0));
  EndPaint();
  CreateQuad(30, 30);
  auto picture = [](int x, int y) { return Rgb((x + y) & 0xFF, x & 0xFF, y & 0xFF); };
  FillScreen(picture);
  for (int i = 0; i < 16 * 21; ++i) DrawQuad(30, 32 * (i % 21), 32 * (i / 21), 51);
  auto dark = [](int c) { return static_cast<int>(std::lround(c * 204 / 255.0)); };
  for (int i = 0; i < kScreenWidth * kScreenHeight; ++i) {
    const int x = i % kScreenWidth, y = i / kScreenWidth;
    const uint32_t p = picture(x, y);
    ASSERT_EQ(Screen(x, y), y % 2 ? p : Rgb(dark(Red(p)), dark(Green(p)), dark(Blue(p)))) << x << "," << y;
  }
}

TEST_F(DisplayQuads, QuadsClipAtTheScreenEdgesAndNeedATexture) {
  MakeTexture(25, 256, 256, Patterned);
  for (auto [x, y] : {std::pair{-100, -50}, std::pair{500, 400}, std::pair{640, 0}, std::pair{0, -256}}) {
    DrawQuad(25, x, y, 255);
  }
  EXPECT_EQ(Screen(0, 0), Patterned(100, 50));
  EXPECT_EQ(Screen(155, 205), Patterned(255, 255));
  EXPECT_EQ(Screen(156, 205), 0u);
  EXPECT_EQ(Screen(501, 402), Patterned(1, 2));
  EXPECT_EQ(Screen(639, 479), Patterned(139, 79));
  EXPECT_EQ(Screen(499, 479), 0u);

  ASSERT_TRUE(CreateSprite(26, 4, 4, false));  // plain, not a texture
  SelectTarget(26);
  ClearTarget(MakeColour(255, 255, 255));
  CreateQuad(26, 26);
  DrawQuad(26, 300, 0, 255);
  FreeSprite(25);
  DrawQuad(25, 300, 0, 255);
  EXPECT_EQ(Screen(300, 0), 0u);
}

// Triangles drawn with (One, One) blending and a texel of 10, so each pixel
// counts how many triangles covered it.
class DisplayTriangles : public DisplayQuads {
 protected:
  void SetUp() override {
    DisplayQuads::SetUp();
    MakeTexture(256, 4, 4, [](int, int) { return Rgb(10, 10, 10); });
    SetQuadBlend(BlendFactor::One, BlendFactor::One);
  }
  static int Count(int x, int y) { return Blue(Screen(x, y)) / 10; }
};

// A pixel is drawn when its centre is inside; centres on an edge belong to
// the triangle only along its top and left edges.
TEST_F(DisplayTriangles, CoverageFollowsTheTopLeftRule) {
  // Left of the diagonal x = y / 2 of a 4x8 box: the diagonal is this
  // triangle's right edge, so centres on it stay out.
  const TexturedVertex left[3] = {Vertex(10, 20, 0, 0), Vertex(14, 28, 1, 1), Vertex(10, 28, 0, 1)};
  DrawTexturedTriangles(256, left, 3);
  // Half-pixel corners (0.5, 0.5), (3.5, 0.5), (0.5, 3.5) hold three centres, either way round.
  const TexturedVertex small[3] = {Vertex(100.5f, 0.5f, 0, 0), Vertex(103.5f, 0.5f, 1, 0), Vertex(100.5f, 3.5f, 0, 1)};
  const TexturedVertex reversed[3] = {small[0], small[2], small[1]};
  DrawTexturedTriangles(256, small, 3);
  DrawTexturedTriangles(256, reversed, 3);
  for (int y = 0; y < 10; ++y) {
    for (int x = 0; x < 6; ++x) ASSERT_EQ(Count(10 + x, 20 + y), y < 8 && 2 * x < y ? 1 : 0) << x << "," << y;
    for (int x = 100; x < 105; ++x) {
      ASSERT_EQ(Count(x, y), (x == 101 && (y == 1 || y == 2)) || (x == 102 && y == 1) ? 2 : 0) << x << "," << y;
    }
  }
}

// Two triangles sharing an edge cover each pixel of their union exactly
// once, drawn one by one (general triangles) or as one pair (the rectangle
// path), whichever diagonal splits the box.
TEST_F(DisplayTriangles, SharedEdgesAreDrawnOnce) {
  struct Box {
    float x0, y0, x1, y1;
    bool otherDiagonal, pair;
  };
  for (Box b : {Box{10, 20, 14, 28, false, false}, Box{30, 20.5f, 34.25f, 27.75f, true, false},
                Box{50, 20, 54, 28, false, true}, Box{70, 20.5f, 74.25f, 27.75f, true, true}}) {
    const TexturedVertex tl = Vertex(b.x0, b.y0, 0, 0), tr = Vertex(b.x1, b.y0, 1, 0);
    const TexturedVertex bl = Vertex(b.x0, b.y1, 0, 1), br = Vertex(b.x1, b.y1, 1, 1);
    const TexturedVertex split[2][6] = {{tl, br, bl, tl, tr, br}, {tl, tr, bl, tr, br, bl}};
    const TexturedVertex* v = split[b.otherDiagonal];
    if (b.pair) {
      DrawTexturedTriangles(256, v, 6);
    } else {
      DrawTexturedTriangles(256, v, 3);
      DrawTexturedTriangles(256, v + 3, 3);
    }
  }
  for (int y = 15; y < 35; ++y) {
    for (int x = 5; x < 80; ++x) {
      const bool whole = (x % 40 >= 10 && x % 40 < 14) && y >= 20 && y < 28;
      const bool half = (x % 40 >= 30 && x % 40 <= 34) && y >= 21 && y <= 27;
      ASSERT_EQ(Count(x, y), whole || half ? 1 : 0) << x << "," << y;
    }
  }
}

// Glow-sized quads at fractional positions: the rectangle path matches the
// general triangle path. A one-step change of one vertex's alpha (which
// additive blending ignores) keeps a pair off the rectangle path.
TEST_F(DisplayTriangles, RectanglePathMatchesGeneralTriangles) {
  MakeTexture(256, 256, 256,
              [](int x, int y) { return Rgb(20 + (x * 3 + y) % 236, 20 + (y * 5) % 236, 20 + (x ^ y) % 236); });
  SetQuadSmoothing(true);
  const uint32_t glow = 0x808080FF;  // alpha 128, red 128, green 128, blue 255
  auto drawGlows = [&](uint32_t oddColour) {
    FillScreen([](int, int) { return 0u; });
    std::vector<TexturedVertex> v;
    for (int i = 0; i < 6; ++i) {  // apart, so that rounding differences cannot add up
      const float x = (7 + 40 * i) * 2.5f, y = (5 + 30 * i) * 15.0f / 7.0f;
      const float w = 80, h = (i % 2 ? 16 : 32) * 15.0f / 7.0f, u = 0.25f * (i % 4), t = 0.25f * (i / 4);
      const TexturedVertex quad[6] = {
          Vertex(x, y, u, t, glow),           Vertex(x + w, y, u + 0.25f, t, glow),
          Vertex(x, y + h, u, t + 0.25f, glow), Vertex(x + w, y, u + 0.25f, t, glow),
          Vertex(x + w, y + h, u + 0.25f, t + 0.25f, oddColour), Vertex(x, y + h, u, t + 0.25f, glow)};
      v.insert(v.end(), quad, quad + 6);
    }
    DrawTexturedTriangles(256, v.data(), static_cast<int>(v.size()));
    return std::vector<uint32_t>(BackBuffer(), BackBuffer() + kScreenWidth * kScreenHeight);
  };
  const std::vector<uint32_t> fast = drawGlows(glow);
  const std::vector<uint32_t> general = drawGlows(glow + 0x01000000);
  int covered = 0;
  for (size_t i = 0; i < fast.size(); ++i) {
    ASSERT_EQ(fast[i] == 0, general[i] == 0) << "coverage differs at " << i % kScreenWidth << "," << i / kScreenWidth;
    covered += fast[i] != 0;
    for (int shift : {0, 8, 16}) ASSERT_NEAR(fast[i] >> shift & 0xFF, general[i] >> shift & 0xFF, 1) << i;
  }
  EXPECT_GT(covered, 20000);

  // Texture colour x diffuse: 200 grey times (128, 128, 255) adds (100, 100, 200).
  MakeTexture(256, 4, 4, [](int, int) { return Rgb(200, 200, 200); });
  FillScreen([](int, int) { return 0u; });
  const TexturedVertex one[6] = {Vertex(0, 0, 0, 0, glow), Vertex(8, 0, 1, 0, glow), Vertex(0, 8, 0, 1, glow),
                                 Vertex(8, 0, 1, 0, glow), Vertex(8, 8, 1, 1, glow), Vertex(0, 8, 0, 1, glow)};
  DrawTexturedTriangles(256, one, 6);
  EXPECT_EQ(Screen(3, 3), Rgb(100, 100, 200));
  DrawTexturedTriangles(256, one, 6);
  EXPECT_EQ(Screen(3, 3), Rgb(200, 200, 255));
}

// The glow pass's draw: hundreds of additive glows of a few kinds, many
// repeated at the same fraction of a pixel (drawn from one filtered picture
// per kind), overlapping until they saturate, some cut by the screen edges,
// some keyed. One draw of all of them gives exactly the screen of the same
// glows drawn one draw each, and glows too large for a picture still draw.
TEST_F(DisplayTriangles, RepeatedGlowsInOneDrawAddExactlyAsOneByOne) {
  MakeTexture(256, 256, 256, [](int x, int y) {
    return (x / 8 + y / 8) % 7 == 0 ? 0xFF00FFu : Rgb(20 + (x * 3 + y) % 236, 20 + (y * 5) % 236, (x ^ y) & 0xFF);
  });
  SetQuadSmoothing(true);
  const uint32_t glow = 0x808080FF;
  std::vector<TexturedVertex> v;
  for (int i = 0; i < 600; ++i) {
    // Playfield positions as the glow pass makes them, from off the top left
    // to off the bottom right, scaled to the screen in float.
    const float px = static_cast<float>((i * 37 + i / 7) % 300 - 30);
    const float py = static_cast<float>((i * 53 + i / 5) % 260 - 30);
    const float size = i % 3 == 0 ? 16.0f : 32.0f, cell = i % 3 == 0 ? 0.125f : 0.25f;
    const float x = px * 2.5f, y = py * (15.0f / 7.0f), w = size * 2.5f, h = size * (15.0f / 7.0f);
    const float u = cell * static_cast<float>(i % 4), t = 0.5f + cell * static_cast<float>(i % 2);
    const uint32_t colour = i % 5 == 0 ? 0xFFFFFFFFu : glow;
    const TexturedVertex quad[6] = {Vertex(x, y, u, t, colour),         Vertex(x + w, y, u + cell, t, colour),
                                    Vertex(x, y + h, u, t + cell, colour), Vertex(x + w, y, u + cell, t, colour),
                                    Vertex(x + w, y + h, u + cell, t + cell, colour),
                                    Vertex(x, y + h, u, t + cell, colour)};
    v.insert(v.end(), quad, quad + 6);
  }
  // Two glows too large for a picture.
  for (int i = 0; i < 2; ++i) {
    const TexturedVertex big[6] = {Vertex(100, 50, 0, 0, glow),   Vertex(300, 50, 1, 0, glow),
                                   Vertex(100, 250, 0, 1, glow),  Vertex(300, 50, 1, 0, glow),
                                   Vertex(300, 250, 1, 1, glow),  Vertex(100, 250, 0, 1, glow)};
    v.insert(v.end(), big, big + 6);
  }
  auto screen = [](int x, int y) { return Rgb((x * 7) & 0x7F, (y * 3) & 0x7F, (x + y) & 0x3F); };
  FillScreen(screen);
  DrawTexturedTriangles(256, v.data(), static_cast<int>(v.size()));
  const std::vector<uint32_t> together(BackBuffer(), BackBuffer() + kScreenWidth * kScreenHeight);
  FillScreen(screen);
  for (size_t i = 0; i < v.size(); i += 6) DrawTexturedTriangles(256, v.data() + i, 6);
  int saturated = 0;
  for (int i = 0; i < kScreenWidth * kScreenHeight; ++i) {
    ASSERT_EQ(together[i], BackBuffer()[i]) << "at " << i % kScreenWidth << "," << i / kScreenWidth;
    saturated += Blue(together[i]) == 255;
  }
  EXPECT_GT(saturated, 10000);
}

}  // namespace
