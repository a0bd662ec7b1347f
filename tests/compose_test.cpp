// Frame composition read back from the screen: the doubled view, scanlines,
// trails and the glow pass.
#include <gtest/gtest.h>

#include "persist/settings.h"
#include "platform/headless.h"
#include "render/compose.h"
#include "render/display.h"
#include "render/graphics.h"
#include "shell/shell.h"
#include "world/world.h"

namespace {

uint32_t Channel(uint32_t pixel, int shift) { return (pixel >> shift) & 0xFF; }

class Compose : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::headless::Reset();
    ResetDisplayServices();
    ASSERT_EQ(StartUp(), StartUpResult::Ready);
    ASSERT_TRUE(RunPass());  // the graphics are built
    world = World{};
    Use(/*stretch=*/1, /*smoothing=*/0, /*trails=*/0, /*scanlines=*/0);
  }
  void TearDown() override { ShutDown(StartUpResult::Ready); }

  void Use(int stretch, int smoothing, int trails, int scanlines) {
    settings.stretch = stretch;
    settings.smoothing = smoothing;
    settings.trails = trails;
    settings.scanlines = scanlines;
    scanlineAlpha = scanlines * 255 / 100;
    ApplyDisplayGeometry();
  }

  uint32_t* Playfield() { return SpritePixelsForWriting(::Playfield); }
  void FillPlayfield(uint32_t pixel) { std::fill_n(Playfield(), kPlayfieldWidth * kPlayfieldHeight, pixel); }
  uint32_t Screen(int x, int y) { return BackBuffer()[y * kScreenWidth + x]; }
  bool ScreenIsBlack() {
    for (int i = 0; i < kScreenWidth * kScreenHeight; ++i) {
      if (BackBuffer()[i] != 0) return false;
    }
    return true;
  }
};

TEST_F(Compose, UnstretchedViewIsThePlayfieldDoubledInABlackBorder) {
  Use(0, 0, 0, 0);
  for (int y = 0; y < kPlayfieldHeight; ++y) {
    for (int x = 0; x < kPlayfieldWidth; ++x) Playfield()[y * kPlayfieldWidth + x] = (x * 7 + y * 13) << 8 | x | 1;
  }
  ComposeFrame(false);
  for (int y = 0; y < kScreenHeight; ++y) {
    for (int x = 0; x < kScreenWidth; ++x) {
      const bool inside = x >= 64 && x < 576 && y >= 16 && y < 16 + 448;
      const uint32_t expected = inside ? Playfield()[(y - 16) / 2 * kPlayfieldWidth + (x - 64) / 2] : 0;
      ASSERT_EQ(Screen(x, y), expected) << "at " << x << ", " << y;
    }
  }
}

TEST_F(Compose, ScanlinesDarkenEvenRowsOnly) {
  FillPlayfield(0xC86432);
  Use(1, 0, 0, 20);
  ComposeFrame(false);
  for (int y = 0; y < kScreenHeight; y += 37) {
    const uint32_t p = Screen(333, y);
    if (y % 2 == 1) {
      EXPECT_EQ(p, 0xC86432u) << "row " << y;
    } else {
      EXPECT_EQ(Channel(p, 16), (0xC8u * 204 + 127) / 255) << "row " << y;
      EXPECT_EQ(Channel(p, 8), (0x64u * 204 + 127) / 255) << "row " << y;
      EXPECT_EQ(Channel(p, 0), (0x32u * 204 + 127) / 255) << "row " << y;
    }
  }
  Use(1, 0, 0, 100);
  ComposeFrame(false);
  EXPECT_EQ(Screen(100, 40), 0u);
  EXPECT_EQ(Screen(100, 41), 0xC86432u);
}

TEST_F(Compose, AVanishedPixelFadesThroughTheNextThreeFrames) {
  Use(0, 0, 1, 0);
  FillPlayfield(0);
  for (int i = 0; i < 4; ++i) ComposeFrame(false);  // every trail frame black
  Playfield()[10 * kPlayfieldWidth + 10] = 0xFFFFFF;
  ComposeFrame(false);
  // The three older (black) frames are blended over the newest one.
  EXPECT_NEAR(Channel(Screen(64 + 20, 16 + 20), 8), 255.0 * 207 / 255 * 231 / 255 * 243 / 255, 1);
  Playfield()[10 * kPlayfieldWidth + 10] = 0;
  // The white frame goes in at alpha 48, 24, 12 as it ages, and the black
  // frames drawn over it after it darken it further.
  const uint32_t expected[4] = {48 * 231 / 255 * 243 / 255, 24 * 243 / 255, 12, 0};
  for (int frame = 0; frame < 4; ++frame) {
    ComposeFrame(false);
    EXPECT_NEAR(Channel(Screen(64 + 21, 16 + 21), 8), expected[frame], 1) << "frame " << frame + 1;
  }
}

TEST_F(Compose, GlowsOnlyInAGameStretchedAndSmoothed) {
  FillPlayfield(0);
  Spark& spark = world.Sparks.Add();
  spark = Spark{128 << 8, 112 << 8, 0};
  Use(1, 1, 0, 0);
  ComposeFrame(true);
  EXPECT_FALSE(ScreenIsBlack());
  const uint32_t centre = Screen(128 * 5 / 2 + 10, 112 * 15 / 7 + 10);
  EXPECT_GT(Channel(centre, 0), Channel(centre, 16));  // the glow colour is blue-heavy

  ComposeFrame(false);
  EXPECT_TRUE(ScreenIsBlack());
  Use(0, 1, 0, 0);
  ComposeFrame(true);
  EXPECT_TRUE(ScreenIsBlack());
  Use(1, 0, 0, 0);
  ComposeFrame(true);
  EXPECT_TRUE(ScreenIsBlack());
}

TEST_F(Compose, GlowSlotsWrapAndAtMost1023Draw) {
  FillPlayfield(0);
  Use(1, 1, 0, 0);
  // 1024 sparks: the first 1023 at the top left, the last far away. Its glow
  // is the 1024th quad, which is written but not drawn.
  for (int i = 0; i < 1024; ++i) {
    Spark& s = world.Sparks.Add();
    s = i < 1023 ? Spark{10 << 8, 10 << 8, 0} : Spark{200 << 8, 180 << 8, 0};
  }
  ComposeFrame(true);
  EXPECT_EQ(glowCount, 1024);
  EXPECT_FLOAT_EQ(GlowBuffer[6 * 1023].x, 196 * 2.5f);
  EXPECT_EQ(Screen(200 * 5 / 2 + 5, 180 * 15 / 7 + 5), 0u);
  EXPECT_NE(Screen(10 * 5 / 2 + 5, 10 * 15 / 7 + 5), 0u);

  // A 1025th spark (added after the last one) has the 1025th glow, which
  // takes slot 0 again.
  Spark& extra = world.Sparks.Add();
  extra = Spark{100 << 8, 50 << 8, 0};
  ComposeFrame(true);
  EXPECT_EQ(glowCount, 1025);
  EXPECT_FLOAT_EQ(GlowBuffer[0].x, 96 * 2.5f);
  EXPECT_FLOAT_EQ(GlowBuffer[0].z, 0.5f);
  EXPECT_EQ(GlowBuffer[0].colour, 0x808080FFu);
}

}  // namespace
