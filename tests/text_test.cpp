// Text, the heads-up display and the title logo's entrance, read back from
// the playfield.
#include <gtest/gtest.h>

#include "platform/headless.h"
#include "render/display.h"
#include "render/graphics.h"
#include "render/text.h"
#include "shell/shell.h"
#include "world/world.h"

namespace {

constexpr int TitleLogo = 142;
constexpr int LivesIcon = 24;

class Text : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::headless::Reset();
    ResetDisplayServices();
    ASSERT_EQ(StartUp(), StartUpResult::Ready);
    ASSERT_TRUE(RunPass());
    world = World{};
    Clear();
  }
  void TearDown() override {
    SelectTarget(ScreenTarget);
    ShutDown(StartUpResult::Ready);
  }

  void Clear() {
    SelectTarget(Playfield);
    ClearTarget(MakeColour(0, 0, 0));
  }
  std::vector<uint32_t> Picture() {
    SpriteView v = ViewSprite(Playfield);
    return std::vector<uint32_t>(v.pixels, v.pixels + v.width * v.height);
  }
  // The columns that hold any drawn pixel.
  std::pair<int, int> DrawnColumns() {
    std::vector<uint32_t> p = Picture();
    int first = kPlayfieldWidth, last = -1;
    for (int i = 0; i < static_cast<int>(p.size()); ++i) {
      if (p[i] != 0) {
        first = std::min(first, i % kPlayfieldWidth);
        last = std::max(last, i % kPlayfieldWidth);
      }
    }
    return {first, last};
  }
  // The picture of text drawn alone at (x, y).
  std::vector<uint32_t> TextPicture(int x, int y, const std::string& text) {
    Clear();
    DrawText(x, y, text);
    return Picture();
  }
};

TEST_F(Text, GlyphsTakeEightPixelsEach) {
  DrawText(88, 92, "GAME OVER");
  auto [first, last] = DrawnColumns();
  EXPECT_GE(first, 88);
  EXPECT_LE(last, 159);
  EXPECT_GT(last, 150);
  Clear();
  DrawText(88, 92, "");
  EXPECT_EQ(DrawnColumns().second, -1);
  // A character outside the font draws nothing but keeps its place.
  EXPECT_EQ(TextPicture(0, 0, "A\x7F" "B"), TextPicture(0, 0, "A B"));
}

TEST_F(Text, ScoreAndCaptions) {
  EXPECT_EQ(ScoreDisplay(0), "00000000");
  EXPECT_EQ(ScoreDisplay(1234567), "12345670");
  EXPECT_EQ(ScoreDisplay(12345678), "12345670");
  world.game.score = 64;
  Clear();
  DrawScore();
  EXPECT_EQ(Picture(), TextPicture(190, 2, "00000640"));

  world.game.level = 9;
  Clear();
  DrawLevelCaption(false);
  EXPECT_EQ(Picture(), TextPicture(88, 92, "LEVEL 09"));
  world.game.level = 10;
  Clear();
  DrawLevelCaption(false);
  EXPECT_EQ(Picture(), TextPicture(88, 92, "LEVEL 10"));
  Clear();
  DrawLevelCaption(true);
  EXPECT_EQ(Picture(), TextPicture(76, 92, "DEMONSTRATION"));
}

TEST_F(Text, LivesAreIconsEightPixelsApart) {
  world.game.lives = 0;
  DrawLives();
  EXPECT_EQ(DrawnColumns().second, -1);
  world.game.lives = 5;
  DrawLives();
  std::vector<uint32_t> lives = Picture();
  Clear();
  for (int x : {2, 10, 18, 26, 34}) BlitKeyed(LivesIcon, x, 3);
  EXPECT_EQ(lives, Picture());
}

TEST_F(Text, LogoFliesInRowByRowAndLands) {
  int32_t intro = 1;
  // Frame 0: the bottom row stands on the playfield's last row, swung 111
  // pixels to the right; the rows above it are spread out and swinging.
  EXPECT_FALSE(DrawTitleLogo(0, &intro));
  std::vector<uint32_t> first = Picture();
  SpriteView logo = ViewSprite(TitleLogo);
  const uint32_t key = ColourToPixel(MakeColour(255, 0, 255));
  for (int x = 0; x < kPlayfieldWidth; ++x) {
    const uint32_t drawn = first[223 * kPlayfieldWidth + x];
    const uint32_t source = x >= 178 ? logo.pixels[38 * logo.width + (x - 178)] : key;
    EXPECT_EQ(drawn, source == key ? 0u : source) << "x " << x;
  }

  // Frame 31: every row closed up, two pixels above the final place.
  Clear();
  EXPECT_FALSE(DrawTitleLogo(31, &intro));
  std::vector<uint32_t> closing = Picture();
  Clear();
  SetSourceRect(TitleLogo, -1, -1, -1, -1);
  BlitKeyed(TitleLogo, 67, 38);
  EXPECT_EQ(closing, Picture());

  // Frame 32 lands it once.
  Clear();
  EXPECT_TRUE(DrawTitleLogo(32, &intro));
  EXPECT_EQ(intro, 0);
  std::vector<uint32_t> landed = Picture();
  Clear();
  BlitKeyed(TitleLogo, 67, 40);
  EXPECT_EQ(landed, Picture());
  Clear();
  EXPECT_FALSE(DrawTitleLogo(5, &intro));  // without the entrance: in place at once
  EXPECT_EQ(landed, Picture());
}

}  // namespace
