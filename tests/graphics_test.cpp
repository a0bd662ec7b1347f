// The embedded images and the sprites built from them: the generator still
// draws the committed files, the files have the promised form and fixed
// pixels, every sprite exists with its size and picture, the wave tables hold
// their listed values, and the terrain strips and wall tiles come out right.
#include <gtest/gtest.h>
#include <unistd.h>

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

constexpr uint32_t kMagentaPixel = 0xFF00FF;  // 0x00RRGGBB
constexpr uint32_t kBlackPixel = 0;

std::vector<uint8_t> ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}
uint32_t Le16(const std::vector<uint8_t>& b, size_t at) { return b[at] | b[at + 1] << 8; }

std::vector<uint8_t> Committed(const char* name) {
  return ReadFile(fs::path(VANTOMIR_SOURCE_DIR) / "assets" / name);
}

// The palette index of pixel (x, y), counted from the top, of an 8-bit BMP.
uint8_t IndexAt(const std::vector<uint8_t>& bmp, int x, int y) {
  const int width = static_cast<int>(Le32(bmp, 18));
  const int height = static_cast<int>(Le32(bmp, 22));
  const int stride = (width + 3) & ~3;
  return bmp[1078 + static_cast<size_t>(height - 1 - y) * stride + x];
}

// Pixel (x, y) of an 8-bit BMP as 0x00RRGGBB.
uint32_t PixelOf(const std::vector<uint8_t>& bmp, int x, int y) {
  const size_t entry = 54 + 4 * size_t{IndexAt(bmp, x, y)};
  return static_cast<uint32_t>(bmp[entry + 2]) << 16 | bmp[entry + 1] << 8 | bmp[entry];
}

uint32_t ToPixel(Colour c) { return (c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF); }

uint32_t SpritePixel(int n, int x, int y) {
  const SpriteView view = ViewSprite(n);
  return view.pixels[y * view.width + x];
}

//-----------------------------------------------------------------------------
// The generator and the files
//-----------------------------------------------------------------------------

TEST(ArtFiles, GeneratorReproducesTheCommittedImages) {
  const fs::path dir = fs::temp_directory_path() / ("vantomir-art-" + std::to_string(getpid()));
  fs::create_directories(dir);
  const std::string command = std::string("\"") + GENERATE_ART + "\" \"" + dir.string() + "\"";
  ASSERT_EQ(std::system(command.c_str()), 0);
  for (const char* name : {"atlas.bmp", "glow.bmp", "lightmap.bmp"}) {
    const std::vector<uint8_t> drawn = ReadFile(dir / name);
    EXPECT_FALSE(drawn.empty()) << name;
    EXPECT_TRUE(drawn == Committed(name)) << name << " differs from the committed file";
    // And the game carries the same bytes.
    const EmbeddedFile* embedded = FindEmbeddedFile(name);
    ASSERT_NE(embedded, nullptr) << name;
    EXPECT_TRUE(std::vector<uint8_t>(embedded->data, embedded->data + embedded->size) == drawn) << name;
  }
  fs::remove_all(dir);
}

TEST(ArtFiles, HeadersHaveTheFixedForm) {
  struct Expected {
    const char* name;
    uint32_t width, height, fileSize;
  };
  for (const Expected& e : {Expected{"atlas.bmp", 512, 75, 39478}, Expected{"glow.bmp", 256, 256, 66614},
                            Expected{"lightmap.bmp", 128, 16, 3126}}) {
    SCOPED_TRACE(e.name);
    const std::vector<uint8_t> b = Committed(e.name);
    ASSERT_EQ(b.size(), e.fileSize);
    EXPECT_EQ(b[0], 'B');
    EXPECT_EQ(b[1], 'M');
    EXPECT_EQ(Le32(b, 2), e.fileSize);
    EXPECT_EQ(Le32(b, 6), 0u);       // reserved words
    EXPECT_EQ(Le32(b, 10), 1078u);   // pixels follow 256 palette entries
    EXPECT_EQ(Le32(b, 14), 40u);
    EXPECT_EQ(Le32(b, 18), e.width);
    EXPECT_EQ(Le32(b, 22), e.height);  // positive: bottom-up
    EXPECT_EQ(Le16(b, 26), 1u);
    EXPECT_EQ(Le16(b, 28), 8u);
    EXPECT_EQ(Le32(b, 30), 0u);
    EXPECT_EQ(Le32(b, 34), ((e.width + 3) & ~3u) * e.height);
    EXPECT_EQ(Le32(b, 38), 2835u);
    EXPECT_EQ(Le32(b, 42), 2835u);
    EXPECT_EQ(Le32(b, 46), 0u);
    EXPECT_EQ(Le32(b, 50), 0u);
    for (int i = 0; i < 256; ++i) EXPECT_EQ(b[54 + 4 * i + 3], 0) << "palette entry " << i;
  }
}

TEST(ArtFiles, LightMapHoldsExactlyTheBevelValues) {
  const std::vector<uint8_t> lm = Committed("lightmap.bmp");
  for (int i = 0; i < 256; ++i) {
    EXPECT_EQ(lm[54 + 4 * i], i);
    EXPECT_EQ(lm[55 + 4 * i], i);
    EXPECT_EQ(lm[56 + 4 * i], i);
  }
  // Rows 0..7 carry only the four vertical bevels; the corners join them in rows 8..10.
  const struct {
    int x, y, level;
  } samples[] = {
      {4, 0, 128},   {52, 0, 124},  {53, 7, 136},  {54, 3, 134},  {91, 5, 116},  {100, 0, 124}, {123, 7, 116},
      {3, 8, 128},   {4, 8, 124},   {43, 8, 124},  {44, 8, 128},  {96, 8, 124},  {100, 8, 124}, {101, 8, 136},
      {123, 8, 116}, {124, 8, 124}, {127, 8, 124}, {4, 9, 124},   {5, 9, 136},   {42, 9, 136},  {43, 9, 116},
      {96, 9, 136},  {101, 9, 136}, {102, 9, 134}, {122, 9, 120}, {123, 9, 136}, {127, 9, 136}, {5, 10, 136},
      {6, 10, 134},  {41, 10, 134}, {42, 10, 120}, {96, 10, 134}, {102, 10, 134}, {121, 10, 124},
      {122, 10, 134}, {127, 10, 134}, {4, 15, 124}, {6, 11, 134}, {7, 12, 128},  {41, 13, 124}, {43, 15, 116},
      {96, 11, 128}, {122, 15, 128}, {64, 15, 128},
  };
  for (const auto& s : samples) EXPECT_EQ(IndexAt(lm, s.x, s.y), s.level) << s.x << ", " << s.y;
  // 12 bevel pixels in each of rows 0..7 and 11..15, 60 in each of rows 8..10.
  int changed = 0;
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 128; ++x) changed += IndexAt(lm, x, y) != 128;
  }
  EXPECT_EQ(changed, 13 * 12 + 3 * 60);
}

TEST(ArtFiles, AtlasIsMagentaOutsideItsCells) {
  const std::vector<uint8_t> atlas = Committed("atlas.bmp");
  std::vector<int> owners(512 * 75, 0);
  for (const AtlasCut& cut : kAtlasCuts) {
    for (int y = cut.y; y < cut.y + cut.height; ++y) {
      for (int x = cut.x; x < cut.x + cut.width; ++x) ++owners[y * 512 + x];
    }
  }
  int outside = 0;
  for (int y = 0; y < 75; ++y) {
    for (int x = 0; x < 512; ++x) {
      const bool creatureOverFruit = y >= 24 && y < 36 && x >= 384 && x < 448;
      EXPECT_LE(owners[y * 512 + x], creatureOverFruit ? 2 : 1) << "cells overlap at " << x << ", " << y;
      if (owners[y * 512 + x] == 0 && PixelOf(atlas, x, y) != kMagentaPixel) ++outside;
    }
  }
  EXPECT_EQ(outside, 0) << "pixels drawn outside every cell";
}

TEST(ArtFiles, GlowCellsAreLitInTheMiddleAndDarkAtTheirEdges) {
  const std::vector<uint8_t> glow = Committed("glow.bmp");
  auto brightness = [&](int x, int y) {
    const uint32_t p = PixelOf(glow, x, y);
    return static_cast<int>((p >> 16 & 255) + (p >> 8 & 255) + (p & 255));
  };
  const struct {
    int x, y, size;
  } cells[] = {{0, 0, 64},     {64, 0, 64},    {128, 0, 64},   {192, 0, 64},   {0, 64, 64},   {64, 64, 64},
               {128, 64, 64},  {192, 64, 64},  {0, 128, 32},   {32, 128, 32},  {64, 128, 32}, {96, 128, 32},
               {128, 128, 32}, {160, 128, 32}, {192, 128, 64}, {128, 192, 64}, {192, 192, 64}};
  for (const auto& c : cells) {
    SCOPED_TRACE(::testing::Message() << "cell at " << c.x << ", " << c.y);
    int lit = 0;
    for (int i = 0; i < c.size; ++i) {
      // Nothing on the border, so filtering never bleeds into a neighbour.
      EXPECT_EQ(brightness(c.x + i, c.y), 0);
      EXPECT_EQ(brightness(c.x + i, c.y + c.size - 1), 0);
      EXPECT_EQ(brightness(c.x, c.y + i), 0);
      EXPECT_EQ(brightness(c.x + c.size - 1, c.y + i), 0);
      lit += brightness(c.x + i, c.y + c.size / 2) > 0;
    }
    EXPECT_GT(lit, c.size / 4);
  }
  // Rings are darker in the middle than on the ring; the bullet glows are warm
  // and differ in brightness.
  EXPECT_LT(brightness(32, 96), brightness(32 + 13, 96));
  const uint32_t warm = PixelOf(glow, 160, 224);
  EXPECT_GT(warm >> 16 & 255, warm & 255);
  EXPECT_NE(brightness(160, 224), brightness(224, 224));
}

//-----------------------------------------------------------------------------
// Wave tables
//-----------------------------------------------------------------------------

TEST(WaveTables, HoldTheListedValues) {
  BuildWaveTables();
  const int expected[][2] = {{0, 255}, {32, 217}, {64, 128}, {96, 38}, {128, 1}, {192, 128}, {255, 254}};
  for (const auto& [i, value] : expected) EXPECT_EQ(WaveTable[i], value) << "WaveTable[" << i << "]";
  for (int i = 0; i < 256; ++i) {
    EXPECT_GE(WaveTable[i], 1);
    EXPECT_LE(WaveTable[i], 255);
  }
  const int rgb[4][4][3] = {
      {{16, 46, 79}, {15, 22, 46}, {16, 0, 16}, {15, 24, 47}},
      {{16, 48, 32}, {31, 78, 63}, {15, 47, 31}, {0, 15, 0}},
      {{71, 23, 32}, {97, 18, 46}, {63, 16, 31}, {35, 19, 15}},
      {{47, 47, 32}, {38, 30, 31}, {32, 16, 32}, {39, 31, 31}},
  };
  for (int row = 0; row < 4; ++row) {
    for (int k = 0; k < 4; ++k) {
      const auto& c = rgb[row][k];
      EXPECT_EQ(PlasmaPalettes[row][128 * k], MakeColour(c[0], c[1], c[2])) << "row " << row << " index " << 128 * k;
    }
    for (int i = 0; i < 512; ++i) ASSERT_EQ(PlasmaPalettes[row][i + 512], PlasmaPalettes[row][i]) << row << ", " << i;
  }
}

//-----------------------------------------------------------------------------
// Building the sprites
//-----------------------------------------------------------------------------

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

TEST_F(Graphics, EverySpriteExistsWithItsSizeAndNoOther) {
  struct Range {
    int first, last, width, height;
  };
  const Range ranges[] = {
      {0, 0, 512, 8},      {1, 16, 16, 16},    {17, 17, 10, 10},   {18, 19, 16, 8},     {20, 20, 6, 6},
      {21, 22, 8, 4},      {23, 23, 6, 6},     {24, 24, 7, 5},     {25, 28, 256, 256},  {29, 29, 256, 224},
      {30, 30, 32, 32},    {31, 31, 256, 256},  {32, 39, 48, 16},   {40, 43, 8, 8},     {44, 51, 16, 16},    {61, 63, 8, 7},
      {64, 79, 16, 12},    {80, 84, 16, 16},   {85, 85, 12, 12},   {90, 97, 12, 12},    {100, 109, 13, 7},
      {110, 117, 64, 208}, {118, 119, 128, 16}, {120, 121, 128, 16}, {140, 141, 66, 10}, {142, 142, 121, 39},
      {144, 144, 59, 6},   {256, 256, 256, 256},
  };
  std::vector<bool> listed(257, false);
  for (const Range& r : ranges) {
    for (int n = r.first; n <= r.last; ++n) {
      listed[n] = true;
      const SpriteView view = ViewSprite(n);
      EXPECT_EQ(view.width, r.width) << "sprite " << n;
      EXPECT_EQ(view.height, r.height) << "sprite " << n;
    }
  }
  for (int n = 0; n <= 256; ++n) {
    if (!listed[n]) {
      EXPECT_FALSE(SpriteExists(n)) << "sprite " << n;
    }
  }
  // The light map keeps its levels rather than colours.
  EXPECT_NE(ViewSprite(LightMap).levels, nullptr);
}

// The cells as the game's layout gives them, written out independently of
// the cut table: each sprite must show exactly that part of the atlas.
TEST_F(Graphics, CutsTakeTheirPicturesFromTheirCells) {
  const std::vector<uint8_t> atlas = Committed("atlas.bmp");
  struct Cell {
    int sprite, x, y;
  };
  std::vector<Cell> cells = {{0, 0, 0},      {17, 0, 8},    {18, 492, 24}, {19, 492, 32}, {20, 0, 31},
                             {21, 0, 18},    {22, 0, 22},   {23, 6, 31},   {24, 0, 26},   {85, 480, 24},
                             {118, 128, 43}, {119, 0, 43},  {140, 256, 43}, {142, 346, 36}, {144, 0, 59}};
  for (int i = 0; i < 8; ++i) cells.push_back({32 + i, 42 + 48 * i, 8});
  for (int i = 0; i < 4; ++i) cells.push_back({40 + i, 10 + 8 * i, 16});
  for (int i = 0; i < 8; ++i) cells.push_back({44 + i, 64 + 16 * i, 24});
  for (int i = 0; i < 3; ++i) cells.push_back({61 + i, 322 + 8 * i, 36});
  for (int i = 0; i < 16; ++i) cells.push_back({64 + i, 192 + 16 * i, 24});
  for (int i = 0; i < 5; ++i) cells.push_back({80 + i, 426 + 16 * i, 8});
  for (int i = 0; i < 8; ++i) cells.push_back({90 + i, 384 + 12 * i, 24});
  for (int i = 0; i < 10; ++i) cells.push_back({100 + i, 192 + 13 * i, 36});
  for (const Cell& c : cells) {
    const SpriteView view = ViewSprite(c.sprite);
    ASSERT_NE(view.pixels, nullptr) << "sprite " << c.sprite;
    int mismatches = 0;
    bool drawn = false;
    for (int y = 0; y < view.height; ++y) {
      for (int x = 0; x < view.width; ++x) {
        const uint32_t expected = PixelOf(atlas, c.x + x, c.y + y);
        mismatches += view.pixels[y * view.width + x] != expected;
        drawn = drawn || expected != kMagentaPixel;
      }
    }
    EXPECT_EQ(mismatches, 0) << "sprite " << c.sprite;
    EXPECT_TRUE(drawn) << "sprite " << c.sprite << " is empty";
  }
}

TEST_F(Graphics, RebuildLeavesNoAtlasBehindAndRemakesTheFrames) {
  EXPECT_FALSE(SpriteExists(Atlas));
  SelectTarget(FrameTexture + 2);
  ClearTarget(MakeColour(200, 100, 50));
  FreeAllSprites();
  for (int n = 0; n <= 256; ++n) ASSERT_FALSE(SpriteExists(n)) << n;
  BuildGraphics();
  EXPECT_FALSE(SpriteExists(Atlas));
  EXPECT_TRUE(SpriteExists(GlowTexture));
  for (int n = FrameTexture; n < FrameTexture + 4; ++n) EXPECT_EQ(SpritePixel(n, 17, 250), kBlackPixel) << n;
  // Scanline tile: black even rows over magenta.
  for (int y = 0; y < 32; ++y) EXPECT_EQ(SpritePixel(ScanlineTile, 9, y), y % 2 == 0 ? kBlackPixel : kMagentaPixel);
}

TEST_F(Graphics, WallOverlayIsTheExactMaskAndKeyedOnBlack) {
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 128; ++x) {
      const bool hole = y < 8 ? (x <= 51 || (x >= 92 && x <= 99) || x >= 124)
                              : (x <= 3 || (x >= 44 && x <= 51) || (x >= 92 && x <= 95));
      ASSERT_EQ(SpritePixel(119, x, y), hole ? kMagentaPixel : kBlackPixel) << x << ", " << y;
    }
  }
  // Keyed on black: over a grey strip only the holes come through.
  SelectTarget(121);
  ClearTarget(MakeColour(90, 90, 90));
  BlitKeyed(119, 0, 0);
  EXPECT_EQ(SpritePixel(121, 60, 4), 0x5A5A5Au);
  EXPECT_EQ(SpritePixel(121, 10, 4), kMagentaPixel);
}

TEST_F(Graphics, TheArtKeepsItsPromises) {
  // "<", "=" and ">" share a row that runs without a gap through the cells.
  const int less = ('<' - 32) * 8;
  bool joined = false;
  for (int y = 0; y < 8 && !joined; ++y) {
    bool row = SpritePixel(Font, less + 7, y) != kMagentaPixel && SpritePixel(Font, less + 23, y) != kMagentaPixel;
    for (int x = less + 8; x < less + 16; ++x) row = row && SpritePixel(Font, x, y) != kMagentaPixel;
    joined = row;
  }
  EXPECT_TRUE(joined);
  // Every glyph but the space shows something; the space shows nothing.
  for (int c = 32; c <= 95; ++c) {
    int ink = 0;
    for (int y = 0; y < 8; ++y) {
      for (int x = 0; x < 8; ++x) ink += SpritePixel(Font, (c - 32) * 8 + x, y) != kMagentaPixel;
    }
    EXPECT_EQ(ink == 0, c == ' ') << "glyph " << c;
  }
  // The radar frame is shown opaque, so it has no transparent pixel.
  for (int y = 0; y < 10; ++y) {
    for (int x = 0; x < 66; ++x) ASSERT_NE(SpritePixel(140, x, y), kMagentaPixel) << x << ", " << y;
  }
  // The wall textures are solid: every pixel of the landscape's panels is drawn.
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 128; ++x) ASSERT_NE(SpritePixel(118, x, y), kMagentaPixel) << x << ", " << y;
  }
}

//-----------------------------------------------------------------------------
// Terrain strips and wall tiles follow the level's style
//-----------------------------------------------------------------------------

TEST_F(Graphics, TerrainStripsColourTheHeightMapWithTheLevelsPalette) {
  const int32_t saved[3] = {HeightMap[0][0], HeightMap[64 * 3 + 10][100], HeightMap[511][207]};
  world.game.level = 3;  // style 2
  HeightMap[0][0] = 5;
  HeightMap[64 * 3 + 10][100] = 1500;  // only the low ten bits count
  HeightMap[511][207] = -1;
  PaintTerrainStrips();
  EXPECT_EQ(SpritePixel(110, 0, 0), ToPixel(PlasmaPalettes[2][5]));
  EXPECT_EQ(SpritePixel(113, 10, 100), ToPixel(PlasmaPalettes[2][1500 & 1023]));
  EXPECT_EQ(SpritePixel(117, 63, 207), ToPixel(PlasmaPalettes[2][1023]));
  HeightMap[0][0] = saved[0];
  HeightMap[64 * 3 + 10][100] = saved[1];
  HeightMap[511][207] = saved[2];
}

class WallTiles : public Graphics {
 protected:
  // The 16x16 texture t of style s as the atlas holds it.
  static uint32_t Texture(int style, int t, int x, int y) { return SpritePixel(118, 32 * style + 16 * t + x, y); }
};

TEST_F(WallTiles, InteriorKeepsTheTextureAndTheMarginIsCutAway) {
  for (int level : {1, 2, 3, 4}) {
    SCOPED_TRACE(::testing::Message() << "level " << level);
    const int style = level - 1;
    world.game.level = level;
    BuildWallTiles();
    for (int t = 0; t < 2; ++t) {
      const int first = 1 + 8 * t;
      // Piece 4 is plain interior: light 128 and overlay black leave the texture as it is.
      for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) ASSERT_EQ(SpritePixel(first + 4, x, y), Texture(style, t, x, y));
      }
      // Top-left corner: the top half and the four left columns are holes.
      EXPECT_EQ(SpritePixel(first, 9, 3), kMagentaPixel);
      EXPECT_EQ(SpritePixel(first, 2, 12), kMagentaPixel);
      EXPECT_EQ(SpritePixel(first, 10, 14), Texture(style, t, 10, 14));
      // A bevel pixel of level 136 lightens every channel by 8.
      const uint32_t lit = SpritePixel(first, 9, 9);
      const uint32_t base = Texture(style, t, 9, 9);
      for (int shift : {0, 8, 16}) {
        const int channel = static_cast<int>(base >> shift & 255);
        EXPECT_EQ(static_cast<int>(lit >> shift & 255), std::min(channel + 8, 255));
      }
    }
  }
  // Styles repeat every four levels: level 5 builds the tiles of level 1.
  world.game.level = 1;
  BuildWallTiles();
  const std::vector<uint32_t> level1(ViewSprite(1).pixels, ViewSprite(1).pixels + 256);
  world.game.level = 5;
  BuildWallTiles();
  EXPECT_EQ(std::vector<uint32_t>(ViewSprite(1).pixels, ViewSprite(1).pixels + 256), level1);
  EXPECT_EQ(SelectedTarget(), ScreenTarget);
}

}  // namespace
