// Level generation: the height map and the wall-tile maps of known levels,
// the exact number of draws, and the shape of every level's ground line.
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "levels/level_generation.h"
#include "levels/random.h"

namespace {

void Generate(int level) {
  RandomSeed(level * 3278);
  BuildHeightMap();
  BuildTileMaps();
}

int64_t HeightSum() {
  int64_t sum = 0;
  for (int x = 0; x < 512; ++x) {
    for (int y = 0; y < 256; ++y) sum += HeightMap[x][y];
  }
  return sum;
}

// Lowest and highest of the rows the far layer shows.
std::pair<int32_t, int32_t> ShownRange() {
  int32_t low = HeightMap[0][0], high = HeightMap[0][0];
  for (int x = 0; x < 512; ++x) {
    for (int y = 0; y < 208; ++y) {
      low = std::min(low, HeightMap[x][y]);
      high = std::max(high, HeightMap[x][y]);
    }
  }
  return {low, high};
}

std::vector<int32_t> Column(const int32_t* cells, int rows) { return {cells, cells + rows}; }

TEST(LevelGeneration, LevelOneHeights) {
  Generate(1);
  EXPECT_EQ(HeightMap[0][0], 385);
  EXPECT_EQ(HeightMap[0][128], 472);
  EXPECT_EQ(HeightMap[0][256], 47);
  EXPECT_EQ(HeightMap[128][0], 231);
  EXPECT_EQ(HeightMap[128][128], 447);
  EXPECT_EQ(HeightMap[128][256], 300);
  EXPECT_EQ(HeightMap[256][0], 332);
  EXPECT_EQ(HeightMap[256][128], 380);
  EXPECT_EQ(HeightMap[1][1], 382);
  EXPECT_EQ(HeightMap[64][64], 336);
  EXPECT_EQ(HeightMap[511][255], 30);
  EXPECT_EQ(HeightMap[64][256], 0);  // read, but apart from the seeds never written
  EXPECT_EQ(HeightSum(), 37515842);
  EXPECT_EQ(ShownRange(), std::make_pair(59, 535));
  EXPECT_EQ(Random(2047), 305);  // the level start's next draw
}

TEST(LevelGeneration, HeightSumsOfOtherLevels) {
  const std::pair<int, int64_t> sums[] = {{3, 28327316}, {5, 37025562}, {6, 27383169}, {21, 30867634}};
  for (auto [level, sum] : sums) {
    Generate(level);
    EXPECT_EQ(HeightSum(), sum) << "level " << level;
  }
  Generate(2);
  EXPECT_EQ(ShownRange().first, -50);
}

TEST(LevelGeneration, LevelOneTileMaps) {
  Generate(1);
  const std::vector<std::vector<int32_t>> mid = {{0, 2, 5, 5, 5}, {0, 2, 5, 5, 5}, {0, 3, 6, 6, 8},
                                                 {0, 0, 0, 1, 7}, {0, 0, 0, 2, 5}, {0, 0, 0, 2, 5},
                                                 {0, 0, 0, 2, 5}, {0, 0, 1, 7, 5}};
  const std::vector<std::vector<int32_t>> near = {{0, 0, 0, 10},   {0, 0, 0, 10},  {9, 12, 12, 15},
                                                  {10, 13, 13, 13}, {11, 14, 14, 16}, {0, 0, 9, 15},
                                                  {0, 0, 10, 13},  {0, 0, 11, 16}};
  for (int c = 0; c < 8; ++c) {
    EXPECT_EQ(Column(MidMap[c], 5), mid[c]) << "MidMap column " << c;
    EXPECT_EQ(Column(NearMap[c], 4), near[c]) << "NearMap column " << c;
  }
  // Where the near layer wraps, the ground is at its lowest.
  EXPECT_EQ(Column(NearMap[126], 4), (std::vector<int32_t>{0, 0, 0, 10}));
  EXPECT_EQ(Column(NearMap[127], 4), (std::vector<int32_t>{0, 0, 0, 10}));
}

TEST(LevelGeneration, DrawCounts) {
  RandomSeed(777);
  BuildHeightMap();
  const Rng afterHeights = rng;
  BuildTileMaps();
  const Rng afterMaps = rng;
  RandomSeed(777);
  for (int i = 0; i < 131076; ++i) NextRandom64();
  EXPECT_EQ(rng, afterHeights);
  for (int i = 0; i < 115; ++i) NextRandom64();
  EXPECT_EQ(rng, afterMaps);
}

}  // namespace
