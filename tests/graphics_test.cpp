// The embedded images and the sprites built from them: the generator still draws the committed files, which have the
// promised form and fixed pixels; every sprite, its size and picture; the wave tables; terrain strips and wall tiles.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "assets/embedded.h"
#include "levels/level_generation.h"
#include "render/display.h"
#include "render/graphics.h"
#include "world/world.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

constexpr uint32_t kMagentaPixel = 0xFF00FF;  // 0x00RRGGBB
constexpr uint32_t kBlackPixel = 0;

Bytes ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
Bytes Committed(const char* name) { return ReadFile(fs::path(VANTOMIR_SOURCE_DIR) / "assets" / name); }

uint32_t Le(const Bytes& b, size_t at, int bytes = 4) {  // a little-endian field
  return bytes == 0 ? 0 : Le(b, at + 1, bytes - 1) << 8 | b[at];
}

uint8_t IndexAt(const Bytes& bmp, int x, int y) {  // the palette index of pixel (x, y) of an 8-bit BMP, from the top
  const int width = int(Le(bmp, 18)), height = int(Le(bmp, 22));
  return bmp[1078 + size_t(height - 1 - y) * size_t((width + 3) & ~3) + size_t(x)];
}

uint32_t PixelOf(const Bytes& bmp, int x, int y) {  // pixel (x, y) of an 8-bit BMP as 0x00RRGGBB
  const size_t entry = 54 + 4 * size_t{IndexAt(bmp, x, y)};
  return uint32_t(bmp[entry + 2]) << 16 | bmp[entry + 1] << 8 | bmp[entry];
}

uint32_t ToPixel(Colour c) { return (c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF); }
uint32_t SpritePixel(int n, int x, int y) { return ViewSprite(n).pixels[y * ViewSprite(n).width + x]; }

int Ink(int n, int x0, int y0, int width, int height) {  // the pixels of the rectangle that are not transparent
  int ink = 0;
  for (int i = 0; i < width * height; ++i) ink += SpritePixel(n, x0 + i % width, y0 + i / width) != kMagentaPixel;
  return ink;
}

TEST(ArtFiles, GeneratorReproducesTheCommittedImagesWhichTheGameCarries) {
  const fs::path dir = fs::temp_directory_path() / ("vantomir-art-" + std::to_string(getpid()));
  fs::create_directories(dir);
  ASSERT_EQ(std::system(("\"" + std::string(GENERATE_ART) + "\" \"" + dir.string() + "\"").c_str()), 0);
  for (const char* name : {"atlas.bmp", "glow.bmp", "lightmap.bmp"}) {
    const Bytes drawn = ReadFile(dir / name);
    EXPECT_TRUE(drawn == Committed(name)) << name << " differs from the committed file";
    const EmbeddedFile* embedded = FindEmbeddedFile(name);
    ASSERT_NE(embedded, nullptr) << name;
    EXPECT_TRUE(Bytes(embedded->data, embedded->data + embedded->size) == drawn) << name;
  }
  fs::remove_all(dir);
}

TEST(ArtFiles, HeadersHaveTheFixedForm) {
  const struct { const char* name; uint32_t width, height, fileSize; } files[] = {
      {"atlas.bmp", 512, 75, 39478}, {"glow.bmp", 256, 256, 66614}, {"lightmap.bmp", 128, 16, 3126}};
  for (const auto& e : files) {
    const Bytes b = Committed(e.name);
    ASSERT_EQ(b.size(), e.fileSize) << e.name;
    // "BM", size, reserved words, pixels after 256 palette entries, a 40-byte header, positive height (bottom-up),
    // one plane of 8 bits, no compression, image size, 72 dpi, no palette counts; no alpha in the palette.
    const std::vector<uint32_t> header = {Le(b, 0, 2), Le(b, 2),  Le(b, 6),  Le(b, 10), Le(b, 14), Le(b, 18),
                                          Le(b, 22),   Le(b, 26, 2), Le(b, 28, 2), Le(b, 30), Le(b, 34), Le(b, 38),
                                          Le(b, 42),   Le(b, 46), Le(b, 50)};
    EXPECT_EQ(header, (std::vector<uint32_t>{0x4D42, e.fileSize, 0, 1078, 40, e.width, e.height, 1, 8, 0,
                                             ((e.width + 3) & ~3u) * e.height, 2835, 2835, 0, 0}))
        << e.name;
    for (int i = 0; i < 256; ++i) EXPECT_EQ(b[54 + 4 * i + 3], 0) << e.name << " palette entry " << i;
  }
}

TEST(ArtFiles, LightMapHoldsExactlyTheBevelValues) {
  const Bytes lm = Committed("lightmap.bmp");
  for (int i = 0; i < 256; ++i) EXPECT_EQ(Le(lm, 54 + 4 * size_t(i), 3), uint32_t(i) * 0x010101) << i;  // greys
  // Rows 0..7 carry only the four vertical bevels; the corners join them in rows 8..10.
  const struct { int x, y, level; } samples[] = {
      {4, 0, 128},   {52, 0, 124},  {53, 7, 136},   {54, 3, 134},   {91, 5, 116},   {100, 0, 124}, {123, 7, 116},
      {3, 8, 128},   {4, 8, 124},   {43, 8, 124},   {44, 8, 128},   {96, 8, 124},   {100, 8, 124}, {101, 8, 136},
      {123, 8, 116}, {124, 8, 124}, {127, 8, 124},  {4, 9, 124},    {5, 9, 136},    {42, 9, 136},  {43, 9, 116},
      {96, 9, 136},  {101, 9, 136}, {102, 9, 134},  {122, 9, 120},  {123, 9, 136},  {127, 9, 136}, {5, 10, 136},
      {6, 10, 134},  {41, 10, 134}, {42, 10, 120},  {96, 10, 134},  {102, 10, 134}, {121, 10, 124},
      {122, 10, 134}, {127, 10, 134}, {4, 15, 124}, {6, 11, 134},   {7, 12, 128},   {41, 13, 124}, {43, 15, 116},
      {96, 11, 128}, {122, 15, 128}, {64, 15, 128}};
  for (const auto& s : samples) EXPECT_EQ(IndexAt(lm, s.x, s.y), s.level) << s.x << ", " << s.y;
  int changed = 0;  // 12 bevel pixels in each of rows 0..7 and 11..15, 60 in each of rows 8..10
  for (int i = 0; i < 128 * 16; ++i) changed += IndexAt(lm, i % 128, i / 128) != 128;
  EXPECT_EQ(changed, 13 * 12 + 3 * 60);
}

TEST(ArtFiles, GlowCellsAreLitInTheMiddleAndDarkAtTheirEdges) {
  const Bytes glow = Committed("glow.bmp");
  auto brightness = [&](int x, int y) {
    const uint32_t p = PixelOf(glow, x, y);
    return int((p >> 16 & 255) + (p >> 8 & 255) + (p & 255));
  };
  const struct { int x, y, size; } cells[] = {
      {0, 0, 64},     {64, 0, 64},    {128, 0, 64},   {192, 0, 64},   {0, 64, 64},    {64, 64, 64},
      {128, 64, 64},  {192, 64, 64},  {0, 128, 32},   {32, 128, 32},  {64, 128, 32},  {96, 128, 32},
      {128, 128, 32}, {160, 128, 32}, {192, 128, 64}, {128, 192, 64}, {192, 192, 64}};
  for (const auto& c : cells) {
    int lit = 0;
    for (int i = 0; i < c.size; ++i) {  // nothing on the border, so filtering never bleeds into a neighbour
      EXPECT_EQ(brightness(c.x + i, c.y) + brightness(c.x + i, c.y + c.size - 1) + brightness(c.x, c.y + i) +
                    brightness(c.x + c.size - 1, c.y + i), 0) << "cell at " << c.x << ", " << c.y << ": " << i;
      lit += brightness(c.x + i, c.y + c.size / 2) > 0;
    }
    EXPECT_GT(lit, c.size / 4) << "cell at " << c.x << ", " << c.y;
  }
  // Rings are darker in the middle than on the ring; the bullet glows are warm and differ in brightness.
  EXPECT_LT(brightness(32, 96), brightness(32 + 13, 96));
  const uint32_t warm = PixelOf(glow, 160, 224);
  EXPECT_GT(warm >> 16 & 255, warm & 255);
  EXPECT_NE(brightness(160, 224), brightness(224, 224));
}

TEST(WaveTables, HoldTheListedValues) {
  BuildWaveTables();
  const int expected[][2] = {{0, 255}, {32, 217}, {64, 128}, {96, 38}, {128, 1}, {192, 128}, {255, 254}};
  for (const auto& [i, value] : expected) EXPECT_EQ(WaveTable[i], value) << "WaveTable[" << i << "]";
  for (int i = 0; i < 256; ++i) EXPECT_TRUE(WaveTable[i] >= 1 && WaveTable[i] <= 255) << i;
  const int rgb[4][4][3] = {  // rows 0..3 at entries 0, 128, 256 and 384
      {{16, 46, 79}, {15, 22, 46}, {16, 0, 16}, {15, 24, 47}}, {{16, 48, 32}, {31, 78, 63}, {15, 47, 31}, {0, 15, 0}},
      {{71, 23, 32}, {97, 18, 46}, {63, 16, 31}, {35, 19, 15}},
      {{47, 47, 32}, {38, 30, 31}, {32, 16, 32}, {39, 31, 31}}};
  for (int row = 0; row < 4; ++row) {
    for (int k = 0; k < 4; ++k) {
      const auto& c = rgb[row][k];
      EXPECT_EQ(PlasmaPalettes[row][128 * k], MakeColour(c[0], c[1], c[2])) << "row " << row << " index " << 128 * k;
    }
    for (int i = 0; i < 512; ++i) ASSERT_EQ(PlasmaPalettes[row][i + 512], PlasmaPalettes[row][i]) << row << ", " << i;
  }
}

class Graphics : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetDisplayServices();
    BuildWaveTables();
    savedWorld_ = world;
    BuildGraphics();
  }
  void TearDown() override {
    ResetDisplayServices();
    world = savedWorld_;
  }
  World savedWorld_;
};

TEST_F(Graphics, RebuildingMakesEverySpriteWithItsSizeAndNoOtherAndTheFramesBlackAgain) {
  SelectTarget(FrameTexture + 2);
  ClearTarget(MakeColour(200, 100, 50));
  FreeAllSprites();
  for (int n = 0; n <= 256; ++n) ASSERT_FALSE(SpriteExists(n)) << n;
  BuildGraphics();
  const struct { int first, last, width, height; } ranges[] = {
      {0, 0, 512, 8},      {1, 16, 16, 16},     {17, 17, 10, 10},    {18, 19, 16, 8},     {20, 20, 6, 6},
      {21, 22, 8, 4},      {23, 23, 6, 6},      {24, 24, 7, 5},      {25, 28, 256, 256},  {29, 29, 256, 224},
      {30, 30, 32, 32},    {31, 31, 256, 256},  {32, 39, 48, 16},    {40, 43, 8, 8},      {44, 51, 16, 16},
      {61, 63, 8, 7},      {64, 79, 16, 12},    {80, 84, 16, 16},    {85, 85, 12, 12},    {90, 97, 12, 12},
      {100, 109, 13, 7},   {110, 117, 64, 208}, {118, 119, 128, 16}, {120, 121, 128, 16}, {140, 141, 66, 10},
      {142, 142, 121, 39}, {144, 144, 59, 6},   {256, 256, 256, 256}};
  std::vector<bool> listed(257, false);
  for (const auto& r : ranges) {
    for (int n = r.first; n <= r.last; ++n) {
      listed[n] = true;
      EXPECT_EQ(std::vector<int>({ViewSprite(n).width, ViewSprite(n).height}), std::vector<int>({r.width, r.height}))
          << "sprite " << n;
    }
  }
  for (int n = 0; n <= 256; ++n) EXPECT_TRUE(listed[n] || !SpriteExists(n)) << "sprite " << n;
  EXPECT_NE(ViewSprite(LightMap).levels, nullptr);  // the light map keeps its levels rather than colours
  for (int n = FrameTexture; n < FrameTexture + 4; ++n) EXPECT_EQ(SpritePixel(n, 17, 250), kBlackPixel) << n;
  // Scanline tile: black even rows over magenta.
  for (int y = 0; y < 32; ++y) EXPECT_EQ(SpritePixel(ScanlineTile, 9, y), y % 2 == 0 ? kBlackPixel : kMagentaPixel);
}

// Each sprite shows exactly its cell of the atlas, and something is drawn there; nothing is drawn outside the
// cells, and only the cells of the last four creatures overlap others (the fruit drawn there).
TEST_F(Graphics, CutsShowTheirCellsAndTheAtlasIsMagentaOutsideThem) {
  const Bytes atlas = Committed("atlas.bmp");
  std::vector<int> owners(512 * 75, 0);
  for (const AtlasCut& c : kAtlasCuts) {
    const SpriteView view = ViewSprite(c.sprite);
    ASSERT_NE(view.pixels, nullptr) << "sprite " << c.sprite;
    int mismatches = 0;
    bool drawn = false;
    for (int i = 0; i < view.width * view.height; ++i) {
      const uint32_t expected = PixelOf(atlas, c.x + i % view.width, c.y + i / view.width);
      mismatches += view.pixels[i] != expected;
      drawn = drawn || expected != kMagentaPixel;
    }
    EXPECT_TRUE(mismatches == 0 && drawn) << "sprite " << c.sprite << ": " << mismatches << " wrong, drawn " << drawn;
    for (int i = 0; i < c.width * c.height; ++i) ++owners[(c.y + i / c.width) * 512 + c.x + i % c.width];
  }
  int outside = 0;
  for (int i = 0; i < 512 * 75; ++i) {
    const int x = i % 512, y = i / 512;
    const bool creatureOverFruit = y >= 24 && y < 36 && x >= 384 && x < 448;
    EXPECT_LE(owners[i], creatureOverFruit ? 2 : 1) << "cells overlap at " << x << ", " << y;
    outside += owners[i] == 0 && PixelOf(atlas, x, y) != kMagentaPixel;
  }
  EXPECT_EQ(outside, 0) << "pixels drawn outside every cell";
}

TEST_F(Graphics, TheArtKeepsItsPromises) {
  // "<", "=" and ">" share a row that runs without a gap through the cells.
  const int less = ('<' - 32) * 8;
  bool joined = false;
  for (int y = 0; y < 8; ++y) joined |= Ink(Font, less + 7, y, 9, 1) == 9 && Ink(Font, less + 23, y, 1, 1) == 1;
  EXPECT_TRUE(joined);
  // Every glyph but the space shows something; the space shows nothing.
  for (int c = 32; c <= 95; ++c) EXPECT_EQ(Ink(Font, (c - 32) * 8, 0, 8, 8) == 0, c == ' ') << "glyph " << c;
  // The radar frame is shown opaque, and the landscape's wall panels are solid.
  EXPECT_EQ(Ink(EmptyRadar, 0, 0, 66, 10), 66 * 10);
  EXPECT_EQ(Ink(WallTextures, 0, 0, 128, 16), 128 * 16);
}

TEST_F(Graphics, TerrainStripsColourTheHeightMapWithTheLevelsPalette) {
  const std::vector<int32_t> saved(&HeightMap[0][0], &HeightMap[0][0] + std::size(HeightMap) * std::size(HeightMap[0]));
  world.game.level = 3;  // style 2
  HeightMap[0][0] = 5;
  HeightMap[64 * 3 + 10][100] = 1500;  // only the low ten bits count
  HeightMap[511][207] = -1;
  PaintTerrainStrips();
  EXPECT_EQ(SpritePixel(110, 0, 0), ToPixel(PlasmaPalettes[2][5]));
  EXPECT_EQ(SpritePixel(113, 10, 100), ToPixel(PlasmaPalettes[2][1500 & 1023]));
  EXPECT_EQ(SpritePixel(117, 63, 207), ToPixel(PlasmaPalettes[2][1023]));
  std::copy(saved.begin(), saved.end(), &HeightMap[0][0]);
}

TEST_F(Graphics, WallTilesKeepTheTextureInsideAndCutTheExactMarginAway) {
  for (int i = 0; i < 128 * 16; ++i) {  // the overlay: magenta holes, kept where black
    const int x = i % 128, y = i / 128;
    const bool hole = y < 8 ? (x <= 51 || (x >= 92 && x <= 99) || x >= 124)
                            : (x <= 3 || (x >= 44 && x <= 51) || (x >= 92 && x <= 95));
    ASSERT_EQ(SpritePixel(WallOverlay, x, y), hole ? kMagentaPixel : kBlackPixel) << x << ", " << y;
  }
  for (int level : {1, 2, 3, 4, 5}) {
    SCOPED_TRACE(::testing::Message() << "level " << level);
    const int style = (level - 1) % 4;  // styles repeat every four levels
    world.game.level = level;
    BuildWallTiles();
    for (int t = 0; t < 2; ++t) {
      const int first = 1 + 8 * t;  // the pieces of texture t, which the atlas holds as:
      auto texture = [&](int x, int y) { return SpritePixel(WallTextures, 32 * style + 16 * t + x, y); };
      // Piece 4 is plain interior: light 128 and overlay black leave the texture as it is.
      for (int i = 0; i < 256; ++i) ASSERT_EQ(SpritePixel(first + 4, i % 16, i / 16), texture(i % 16, i / 16)) << i;
      // Top-left corner: the top half and the four left columns are holes.
      EXPECT_EQ(SpritePixel(first, 9, 3), kMagentaPixel);
      EXPECT_EQ(SpritePixel(first, 2, 12), kMagentaPixel);
      EXPECT_EQ(SpritePixel(first, 10, 14), texture(10, 14));
      // A bevel pixel of level 136 lightens every channel by 8.
      const uint32_t lit = SpritePixel(first, 9, 9), base = texture(9, 9);
      for (int shift : {0, 8, 16}) EXPECT_EQ(int(lit >> shift & 255), std::min(int(base >> shift & 255) + 8, 255));
    }
  }
  EXPECT_EQ(SelectedTarget(), ScreenTarget);
}

}  // namespace
