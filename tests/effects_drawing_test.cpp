// Effects, entity drawing and the radar, read back from the pixels drawn.
// Every sprite here is a solid block whose red channel is its number, so a
// pixel tells which sprite landed on it.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "render/display.h"
#include "render/graphics.h"
#include "world/drawing.h"
#include "world/effects.h"
#include "world/world.h"

namespace {

constexpr int kTarget = 29;
constexpr Colour kBackground = MakeColour(1, 2, 3);
constexpr Colour kEmptyRadar = MakeColour(5, 40, 5);

Colour SpriteColour(int n) { return MakeColour(n, 77, 150); }

class Drawing : public ::testing::Test {
 protected:
  void SetUp() override {
    world = World{};
    ResetDisplayServices();
    // Carriers are drawn wider than the game's own, so that one whose picture
    // starts 48 pixels off the left edge still shows.
    for (int n = 21; n <= 109; ++n) {
      if (n != kTarget) Fill(n, n >= 32 && n <= 39 ? 64 : 4, 4, SpriteColour(n));
    }
    Fill(140, 66, 10, kEmptyRadar);
    Fill(141, 66, 10, MakeColour(9, 9, 9));
    ASSERT_TRUE(CreateSprite(kTarget, 256, 224, false));
    for (int i = 0; i < 5; ++i) RadarColours[i] = MakeColour(200, 10 * i, 0);
  }
  void TearDown() override { ResetDisplayServices(); }

  static void Fill(int n, int width, int height, Colour colour) {
    ASSERT_TRUE(CreateSprite(n, width, height, false));
    BeginPaint(n);
    PaintBox(0, 0, width, height, colour);
    EndPaint();
  }
  static void Draw() {
    SelectTarget(kTarget);
    ClearTarget(kBackground);
    DrawEntities();
    SelectTarget(ScreenTarget);
  }
  // The sprite drawn at a pixel of the target, or -1.
  static int SpriteAt(int x, int y) {
    const uint32_t p = ViewSprite(kTarget).pixels[y * 256 + x];
    return (p & 0xFFFF) == ((77u << 8) | 150u) ? int(p >> 16) : -1;
  }
  static uint32_t RadarAt(int column, int row) { return ViewSprite(141).pixels[row * 66 + column]; }
};

TEST_F(Drawing, EachKindIsDrawnOverTheKindsBefore) {
  const int32_t x = 50 << 8, y = 60 << 8;
  const std::vector<std::pair<int, void (*)(int32_t, int32_t)>> kinds = {
      {100, [](int32_t px, int32_t py) { world.ScoreLabels.Add() = {100, px, (py >> 8) + 1, 32}; }},
      {22, [](int32_t px, int32_t py) { world.PlayerShots.Add() = {px, py, 0x800, 22}; }},
      {66, [](int32_t px, int32_t py) { world.Creatures.Add() = Creature{.x = px, .y = py, .creatureType = 3}; }},
      {32, [](int32_t px, int32_t py) { world.Carriers.Add() = Carrier{.x = px, .y = py}; }},
      {93, [](int32_t px, int32_t py) { world.Debris.Add() = DebrisPiece{93, px, py}; }},
      {82, [](int32_t px, int32_t py) { world.Pods.Add() = Pod{.x = px, .y = py, .podType = 82}; }},
      {62, [](int32_t px, int32_t py) { world.Swarmers.Add() = Swarmer{62, px, py}; }},
      {85, [](int32_t px, int32_t py) { world.powerUp = PowerUp{1, px, py}; }},
      {23, [](int32_t px, int32_t py) { world.EnemyBullets.Add() = {px + 0x100, py + 0x100}; }},
      {41, [](int32_t px, int32_t py) { world.Sparks.Add() = {px, py, 3}; }},
      {46, [](int32_t px, int32_t py) { world.Explosions.Add() = {px, py, 5}; }},
  };
  for (size_t top = 0; top < kinds.size(); ++top) {
    world = World{};
    for (size_t k = 0; k <= top; ++k) kinds[k].second(x, y);
    Draw();
    EXPECT_EQ(SpriteAt(50, 60), kinds[top].first) << top;
  }
}

TEST_F(Drawing, CarrierPictureShowsBobHalfAndDamageAndOnlyNearTheScreen) {
  world.Carriers.Add() = Carrier{.x = 0x1000, .y = 0x1000, .phase = 128, .hp = 63};
  world.Carriers.Add() = Carrier{.x = 0x1000, .y = 0x3000, .phase = 127, .hp = 16};
  world.Carriers.Add() = Carrier{.x = 0x1000, .y = 0x5000, .phase = 255, .hp = 15};
  world.Carriers.Add() = Carrier{.x = -0x3000, .y = 0x7000};  // would cover x 0..15
  world.Carriers.Add() = Carrier{.x = -0x2FFF, .y = 0x9000};
  Draw();
  EXPECT_EQ(SpriteAt(16, 16), 39);
  EXPECT_EQ(SpriteAt(16, 48), 33);
  EXPECT_EQ(SpriteAt(16, 80), 36);
  EXPECT_EQ(SpriteAt(0, 112), -1);
  EXPECT_EQ(SpriteAt(15, 144), 32);
}

TEST_F(Drawing, ScoreLabelRisesAPixelAFrameAndIsSeen31Frames) {
  world.game.scrollSpeed = 0x100;
  world.ScoreLabels.Add() = {105, 0x4000, 100, 32};
  for (int n = 1; n <= 31; ++n) {
    Draw();
    EXPECT_EQ(SpriteAt(64 - n, 100 - n), 105) << n;
  }
  Draw();
  EXPECT_TRUE(world.ScoreLabels.Empty());
}

TEST_F(Drawing, SparksAndExplosionsAsSeenFromTheFrameTheyAreMade) {
  world.Sparks.Add() = {0x4000, 0x4000, 0};
  world.Explosions.Add() = {0x8000, 0x8000, 0};
  std::vector<int> sparks, explosions;
  for (int frame = 0; frame < 16; ++frame) {
    UpdateSparksAndExplosions();
    Draw();
    sparks.push_back(SpriteAt(64, 64));
    explosions.push_back(SpriteAt(128, 128));
  }
  EXPECT_EQ(sparks, (std::vector<int>{40, 41, 41, 42, 42, 43, 43, -1, -1, -1, -1, -1, -1, -1, -1, -1}));
  EXPECT_EQ(explosions, (std::vector<int>{44, 45, 45, 46, 46, 47, 47, 48, 48, 49, 49, 50, 50, 51, 51, -1}));
}

TEST(Effects, DebrisRisesFor32FramesAndFallsOut62FramesLater) {
  world = World{};
  world.Debris.Add() = DebrisPiece{90, 0x3FF00, 0, 0x100, -0x500};
  std::vector<int32_t> ys;
  for (int frame = 1; frame <= 93; ++frame) {
    UpdateDebris();
    ASSERT_EQ(world.Debris.Size(), 1) << frame;
    world.Debris.ForEach([&](const DebrisPiece& d) { ys.push_back(d.y); });
  }
  EXPECT_EQ(ys[30], ys[31]);  // still at frame 32, falling from frame 33
  EXPECT_LT(ys[31], ys[29]);
  EXPECT_GT(ys[32], ys[31]);
  world.Debris.ForEach([](const DebrisPiece& d) { EXPECT_EQ(d.x, 0x3FF00 + 93 * 0x100); });  // never wrapped
  UpdateDebris();
  EXPECT_TRUE(world.Debris.Empty());
}

TEST_F(Drawing, RadarDotsAndTheirOrder) {
  for (int32_t x : {0, 0x8000, -0x40000, 0x3FFFF}) world.Swarmers.Add() = Swarmer{62, x, 0};
  world.Carriers.Add() = Carrier{.x = -0x3A000, .y = 0xDC00};  // column 64
  // One dot for a swarmer, a creature and a pod: the pod's is plotted last.
  world.Swarmers.Add() = Swarmer{62, 0x20000, 0x4000};
  world.Creatures.Add() = Creature{.x = 0x20000, .y = 0x4000};
  world.Pods.Add() = Pod{.x = 0x20000, .y = 0x4000};
  world.game.playerX = 0x4800;
  world.game.playerY = 0xD800;
  world.game.deathTimer = 200;
  SelectTarget(kTarget);
  UpdateRadar();
  EXPECT_EQ(SelectedTarget(), kTarget);

  const uint32_t swarmer = ColourToPixel(RadarColours[0]);
  EXPECT_EQ(RadarAt(29, 2), swarmer);
  EXPECT_EQ(RadarAt(33, 2), swarmer);
  EXPECT_EQ(RadarAt(61, 2), swarmer);
  EXPECT_EQ(RadarAt(60, 2), swarmer);
  EXPECT_EQ(RadarAt(64, 8), ColourToPixel(MakeColour(0, 255, 0)));
  EXPECT_EQ(RadarAt(1, 8), ColourToPixel(RadarColours[3]));
  EXPECT_EQ(RadarAt(45, 4), ColourToPixel(RadarColours[2]));
  EXPECT_EQ(RadarAt(31, 8), ColourToPixel(RadarColours[4]));
  int empty = 0;
  for (int i = 0; i < 66 * 10; ++i) empty += ViewSprite(141).pixels[i] == ColourToPixel(kEmptyRadar);
  EXPECT_EQ(empty, 66 * 10 - 8);

  // Shown opaque, even where the radar holds its own key colour.
  SetTransparentColour(141, kEmptyRadar);
  ClearTarget(kBackground);
  DrawRadar();
  EXPECT_EQ(ViewSprite(kTarget).pixels[212 * 256 + 188], ColourToPixel(kEmptyRadar));
  EXPECT_EQ(ViewSprite(kTarget).pixels[220 * 256 + 219], ColourToPixel(RadarColours[4]));

  // The ship's dot is hidden before the entry run and once the game is over.
  world.game.deathTimer = 201;
  UpdateRadar();
  EXPECT_EQ(RadarAt(31, 8), ColourToPixel(kEmptyRadar));
  world.game.deathTimer = 0;
  world.game.gameOverTimer = 1;
  UpdateRadar();
  EXPECT_EQ(RadarAt(31, 8), ColourToPixel(kEmptyRadar));
  SelectTarget(ScreenTarget);
}

}  // namespace
