// The start-up tables' known values and their agreement with each other, and
// the per-game tables' order of draws.
#include <gtest/gtest.h>

#include "levels/random.h"
#include "world/tables.h"

namespace {

int32_t Angle(int dx, int dy) { return AngleTable[dx + 128][dy + 128]; }

TEST(StartUpTables, KnownValues) {
  BuildStartUpTables();
  EXPECT_EQ(EntryCurve[0], 0);
  EXPECT_EQ(EntryCurve[79], 18432);
  EXPECT_EQ(SpeedCircle[4][64][0], 0);
  EXPECT_EQ(SpeedCircle[4][64][1], 832);
  EXPECT_EQ(OrbitTable[64][0], 2048);
  EXPECT_EQ(OrbitTable[64][1], 4096);
  EXPECT_EQ(OrbitTable[64][2], 5);
  EXPECT_EQ(OrbitTable[64][3], 15);
  EXPECT_EQ(OrbitTable[0][0], 3584 + 0x800);
  EXPECT_EQ(OrbitTable[0][2], 14 + 5);
  EXPECT_EQ(SpeedCircle[5][0][0], 896);
  EXPECT_EQ(SwarmCircle[0][0], 768);
  EXPECT_EQ(HunterCircle[0][0], 1344);
  EXPECT_EQ(SatelliteSpacing[2], 128);
  EXPECT_EQ(SatelliteSpacing[5], 51);

  EXPECT_EQ(Angle(0, 0), 64);
  EXPECT_EQ(Angle(1, 0), 0);
  EXPECT_EQ(Angle(0, -128), 192);
  EXPECT_EQ(Angle(-1, 0), 128);
  EXPECT_EQ(Angle(-1, 1), 96);
  EXPECT_EQ(Angle(1, -1), 224);
  EXPECT_EQ(Angle(128, -1), 255);  // just short of a full turn
}

// Every direction of a velocity circle reads back as (nearly) its own angle:
// the quadrants of AngleTable and the signs of the circles agree.
TEST(StartUpTables, AngleTableInvertsTheVelocityCircles) {
  BuildStartUpTables();
  for (int a = 0; a < 256; ++a) {
    const int back = Angle(SpeedCircle[0][a][0] * 128 / 576, SpeedCircle[0][a][1] * 128 / 576);
    const int error = (back - a) & 255;
    EXPECT_TRUE(error <= 1 || error == 255) << "angle " << a << " reads back as " << back;
  }
}

// The per-game tables take exactly 55,808 draws, in this order: the three
// wander/aim tables interleaved, then each creature type's maxVX and maxVY
// rows interleaved, then the debris sprites.
TEST(GameTables, DrawOrderAndCount) {
  RandomSeed(123456);
  BuildGameTables();
  const Rng after = rng;

  RandomSeed(123456);
  EXPECT_EQ(WanderX[0], (Random(384) - 64) * 256);
  EXPECT_EQ(WanderY[0], (Random(192) + 8) * 256);
  EXPECT_EQ(AimJitter[0], Random(14) - 7);
  EXPECT_EQ(WanderX[1], (Random(384) - 64) * 256);
  for (int i = 4; i < 3 * 2048; ++i) NextRandom64();
  EXPECT_EQ(CreatureSpeeds[1][0][0], 0x100 + Random(0x180));
  EXPECT_EQ(CreatureSpeeds[1][1][0], 0x80 + Random(0xC0));
  for (int i = 2; i < 2 * 2048 * 11; ++i) NextRandom64();
  EXPECT_EQ(CreatureSpeeds[12][0][0], 0x100 + Random(0x280));
  EXPECT_EQ(CreatureSpeeds[12][1][0], 0x100 + Random(0x200));
  for (int i = 2; i < 2 * 2048; ++i) NextRandom64();
  EXPECT_EQ(DebrisSprites[0], 90 + Random(7));
  for (int i = 1; i < 512; ++i) NextRandom64();
  EXPECT_EQ(rng, after);

  // The slots past the masked range stay 0.
  EXPECT_EQ(WanderX[2048], 0);
  EXPECT_EQ(CreatureSpeeds[12][1][2048], 0);
  EXPECT_EQ(DebrisSprites[512], 0);
}

}  // namespace
