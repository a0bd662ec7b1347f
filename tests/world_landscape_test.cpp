// The landscape's three layers: which strip or tile lands where for a given
// view position, read back from the target's pixels.
#include <gtest/gtest.h>

#include <algorithm>

#include "levels/level_generation.h"
#include "render/display.h"
#include "world/landscape.h"

namespace {

constexpr int kTarget = 29;

Colour StripColour(int k) { return MakeColour(10 + k, 0, 0); }
Colour TileColour(int n) { return MakeColour(0, 100 + n, 0); }

class Landscape : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetDisplayServices();
    // Sprite 0 exists too: an empty cell must not draw it.
    for (int n = 0; n <= 16; ++n) Fill(n, 16, 16, TileColour(n));
    for (int k = 0; k < 8; ++k) Fill(110 + k, 64, 208, StripColour(k));
    ASSERT_TRUE(CreateSprite(kTarget, 256, 224, false));
    ClearMaps();
  }
  void TearDown() override {
    ResetDisplayServices();
    ClearMaps();
  }

  static void ClearMaps() {
    std::fill(&MidMap[0][0], &MidMap[0][0] + 64 * 5, 0);
    std::fill(&NearMap[0][0], &NearMap[0][0] + 128 * 4, 0);
  }

  static void Fill(int n, int width, int height, Colour colour) {
    ASSERT_TRUE(CreateSprite(n, width, height, false));
    BeginPaint(n);
    PaintBox(0, 0, width, height, colour);
    EndPaint();
  }

  static void Draw(int32_t worldX) {
    SelectTarget(kTarget);
    ClearTarget(MakeColour(1, 2, 3));
    DrawLandscape(worldX);
    SelectTarget(ScreenTarget);
  }

  static Colour At(int x, int y) {
    const SpriteView view = ViewSprite(kTarget);
    const uint32_t p = view.pixels[y * view.width + x];  // 0x00RRGGBB
    return MakeColour((p >> 16) & 255, (p >> 8) & 255, p & 255);
  }
};

TEST_F(Landscape, FarLayerMovesAtAQuarterOfTheWorldsSpeed) {
  Draw(0x10000);
  EXPECT_EQ(At(0, 0), StripColour(1));
  EXPECT_EQ(At(255, 207), StripColour(4));
  EXPECT_EQ(At(0, 208), MakeColour(1, 2, 3));  // the strips are 208 rows high
  // 0x400 units on, every strip has moved one pixel left.
  Draw(0x10400);
  EXPECT_EQ(At(62, 0), StripColour(1));
  EXPECT_EQ(At(63, 0), StripColour(2));
  EXPECT_EQ(At(255, 100), StripColour(5));  // the ninth panel fills the right edge
  Draw(0x70000);  // the strips repeat every 512 pixels of view
  EXPECT_EQ(At(64, 0), StripColour(0));
}

TEST_F(Landscape, TileLayersAtHalfAndFullSpeed) {
  // At worldX = 0x3000 the middle layer starts at column 1, 8 pixels out to
  // the left; the near layer at column 3, flush; the far panels 12 pixels out.
  MidMap[3][4] = 5;
  NearMap[7][1] = 12;
  Draw(0x3000);
  EXPECT_EQ(At(24, 200), TileColour(5));
  EXPECT_EQ(At(23, 205), StripColour(0));
  EXPECT_EQ(At(8, 136), StripColour(0));  // an empty cell draws nothing
  EXPECT_EQ(At(64, 176), TileColour(12));
  EXPECT_EQ(At(63, 191), StripColour(1));

  // At 0x7F000 the near layer shows its last column, then column 0, over the
  // middle layer's last column.
  ClearMaps();
  NearMap[0][0] = 9;
  NearMap[127][0] = 10;
  NearMap[127][3] = 16;
  MidMap[63][1] = 3;
  Draw(0x7F000);
  EXPECT_EQ(At(16, 160), TileColour(9));
  EXPECT_EQ(At(0, 208), TileColour(16));
  EXPECT_EQ(At(0, 155), TileColour(3));
  EXPECT_EQ(At(7, 160), TileColour(10));
}

}  // namespace
