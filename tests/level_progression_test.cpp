// The level tables and StartLevel: settings, placed carriers and pods, the
// shared table cursor, and levels that come out the same every time.
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "assets/embedded.h"
#include "levels/level_generation.h"
#include "levels/level_progression.h"
#include "levels/random.h"
#include "world/world.h"

namespace {

class LevelStart : public ::testing::Test {
 protected:
  void SetUp() override {
    LoadLevelTables();
    world = World{};
  }
  void TearDown() override {
    LoadLevelTables();
    world = World{};
  }

  static void Start(int level) {
    world.game.level = level;
    StartLevel();
  }
};

std::vector<Carrier> Carriers() {
  std::vector<Carrier> records;
  world.Carriers.ForEach([&](const Carrier& c) { records.push_back(c); });
  return records;
}

std::vector<Pod> Pods() {
  std::vector<Pod> records;
  world.Pods.ForEach([&](const Pod& p) { records.push_back(p); });
  return records;
}

TEST_F(LevelStart, LevelOne) {
  world.game.lives = 2;
  world.game.score = 1234;
  world.game.deathTimer = 240;
  world.powerUp.powerUpActive = 1;
  world.game.levelFrame = 99;
  Start(1);
  const LevelSettings settings = {.creatureFireTimer = 256, .creatureFireInterval = 384, .bulletSpeedRow = 0,
                                  .swarmAccel = 32, .swarmPeriod = 20, .ringSwarmerPattern = 1,
                                  .minePodPattern = 1, .hunterFireTimer = 16, .tableCursor = 305};
  EXPECT_EQ(world.levelSettings, settings);
  EXPECT_EQ(world.game.deathTimer, 239);  // a level start never costs a life
  EXPECT_EQ(world.game.levelFrame, 0);
  EXPECT_EQ(world.powerUp.powerUpActive, 0);
  EXPECT_EQ(world.game.lives, 2);
  EXPECT_EQ(world.game.score, 1234);

  const std::vector<Carrier> expected = {
      {.x = 600 * 256, .baseY = 104 * 256, .vx = 32, .phase = 0, .launchCountdown = 1, .launchInterval = 40,
       .creatureType = 1, .hp = 12},
      {.x = 768 * 256, .baseY = 104 * 256, .vx = 32, .phase = 128, .launchCountdown = 1, .launchInterval = 40,
       .creatureType = 1, .hp = 12},
  };
  EXPECT_EQ(Carriers(), expected);
  EXPECT_TRUE(world.Pods.Empty());
}

TEST_F(LevelStart, TableCursorOfEveryDemonstrationLevel) {
  const std::pair<int, int32_t> cursors[] = {{1, 305}, {3, 806}, {5, 864}, {6, 695}, {21, 1495}};
  for (auto [level, cursor] : cursors) {
    world = World{};
    RandomSeed(level + 1000);  // whatever the generator held before
    Start(level);
    EXPECT_EQ(world.levelSettings.tableCursor, cursor) << "level " << level;
  }
}

TEST_F(LevelStart, LevelFourteenPlacesOneCarrierOfEachKindAndATreasurePod) {
  Start(14);
  const std::vector<Carrier> carriers = Carriers();
  ASSERT_EQ(carriers.size(), 8u);
  const int32_t xs[8] = {0, 256, 512, 768, 1023, -768, -512, -256};
  const int32_t phases[8] = {20, 40, 60, 80, 100, 120, 140, 180};
  for (int i = 0; i < 8; ++i) {
    const Carrier expected = {.x = xs[i] * 256, .baseY = (i % 2 == 0 ? 80 : 130) * 256, .vx = 64,
                              .phase = phases[i], .launchCountdown = 1, .launchInterval = 10,
                              .creatureType = i + 1, .hp = 31};
    EXPECT_EQ(carriers[i], expected) << i;
  }
  const std::vector<Pod> pods = {{.x = 160 * 256, .y = 40 * 256, .debrisVX = 16, .heading = 128,
                                  .podType = TreasurePod}};
  EXPECT_EQ(Pods(), pods);
}

TEST_F(LevelStart, SameLevelTwiceIsIdenticalWhateverRanBetween) {
  Start(5);
  const World first = world;
  const std::vector<int32_t> heights(&HeightMap[0][0], &HeightMap[0][0] + 512 * 257);
  const std::vector<int32_t> near(&NearMap[0][0], &NearMap[0][0] + 128 * 4);

  // Another level, play that draws and adds, a cleared world.
  ClearAllEntities();
  Start(9);
  for (int i = 0; i < 1000; ++i) Random(i);
  world.Creatures.Add().x = 5;
  world.levelSettings.swarmAccel = 1;
  ClearAllEntities();

  Start(5);
  EXPECT_TRUE(world == first);
  EXPECT_TRUE(std::equal(heights.begin(), heights.end(), &HeightMap[0][0]));
  EXPECT_TRUE(std::equal(near.begin(), near.end(), &NearMap[0][0]));
}

std::vector<uint8_t> StoredBytes(const char* name) {
  const EmbeddedFile* file = FindEmbeddedFile(name);
  if (file == nullptr) return {};
  return std::vector<uint8_t>(file->data, file->data + file->size);
}

int RowsBeforeEnd(const int32_t* firstRow, int width) {
  int rows = 0;
  while (firstRow[(rows + 1) * width] != kTableEnd) ++rows;
  return rows;
}

// Stored data cut short anywhere loads what is there and never reads past
// it, and every level still starts with a bounded walk over the tables.
TEST_F(LevelStart, TruncatedTablesStayInBounds) {
  const std::vector<uint8_t> levels = StoredBytes("level_table.bin");
  const std::vector<uint8_t> carriers = StoredBytes("carrier_table.bin");
  const std::vector<uint8_t> pods = StoredBytes("pod_table.bin");
  ASSERT_EQ(carriers.size(), 76u * 8 * 4);
  ASSERT_EQ(pods.size(), 42u * 6 * 4);

  for (size_t cut : {size_t{0}, size_t{4 * 8 + 5}, carriers.size() - 1, pods.size() - 4, size_t{4 * 125}}) {
    const std::vector<uint8_t> c(carriers.begin(), carriers.begin() + std::min(cut, carriers.size()));
    const std::vector<uint8_t> p(pods.begin(), pods.begin() + std::min(cut, pods.size()));
    const std::vector<uint8_t> l(levels.begin(), levels.begin() + std::min(cut, levels.size()));
    LoadLevelTablesFrom({l.data(), l.size()}, {c.data(), c.size()}, {p.data(), p.size()});
    EXPECT_EQ(RowsBeforeEnd(&CarrierTable[0][0], 8), static_cast<int>(std::min<size_t>(c.size() / 32, 75)));
    EXPECT_EQ(RowsBeforeEnd(&PodTable[0][0], 9), static_cast<int>(std::min<size_t>(p.size() / 24, 41)));
    for (int level = 1; level <= 21; ++level) {
      world = World{};
      Start(level);
    }
  }
  EXPECT_EQ(LevelTable[21][0], 180);
  EXPECT_EQ(LevelTable[21][5], 0);  // the last cut took the table's last value

  // A placement table without an end row is closed at the array's last row.
  std::vector<uint8_t> endless;
  for (int row = 0; row < 1100; ++row) endless.insert(endless.end(), carriers.begin(), carriers.begin() + 32);
  LoadLevelTablesFrom({levels.data(), levels.size()}, {endless.data(), endless.size()}, {nullptr, 0});
  EXPECT_EQ(RowsBeforeEnd(&CarrierTable[0][0], 8), 1023);
  EXPECT_EQ(PodTable[1][0], kTableEnd);
}

}  // namespace
