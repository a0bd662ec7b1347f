#include "levels/level_progression.h"

#include <algorithm>

#include "assets/embedded.h"
#include "levels/level_generation.h"
#include "levels/random.h"
#include "render/graphics.h"
#include "world/world.h"

int32_t LevelTable[100][7];
int32_t CarrierTable[1025][8];
int32_t PodTable[1025][9];

namespace {

constexpr int kLevelColumns = 6;
constexpr int kCarrierColumns = 8;
constexpr int kPodColumns = 6;
constexpr int kLastTableRow = 1024;

// Stored signed 32-bit little-endian values, read in order.
class StoredValues {
 public:
  explicit StoredValues(StoredTable table)
      : data_(table.data), count_(table.data ? table.size / 4 : 0) {}

  size_t Left() const { return count_ - cursor_; }

  int32_t Next() {
    const uint8_t* p = data_ + 4 * cursor_++;
    return static_cast<int32_t>(uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 |
                                uint32_t{p[3]} << 24);
  }

 private:
  const uint8_t* data_;
  size_t count_;
  size_t cursor_ = 0;
};

// Reads rows 1, 2, ... of a placement table up to its end row. Stored data
// that stops before the end row, or a table too long for the array, is closed
// with an end row where it stops, so a walk over the table always ends.
template <size_t kWidth>
void ReadPlacementTable(StoredTable stored, int columns, int32_t (&table)[kLastTableRow + 1][kWidth]) {
  StoredValues values(stored);
  for (int row = 1; row <= kLastTableRow; ++row) {
    if (row == kLastTableRow || values.Left() < static_cast<size_t>(columns)) {
      table[row][0] = kTableEnd;
      return;
    }
    for (int column = 0; column < columns; ++column) table[row][column] = values.Next();
    if (table[row][0] == kTableEnd) return;
  }
}

StoredTable Stored(const char* name) {
  const EmbeddedFile* file = FindEmbeddedFile(name);
  return file ? StoredTable{file->data, file->size} : StoredTable{nullptr, 0};
}

}  // namespace

void LoadLevelTablesFrom(StoredTable levels, StoredTable carriers, StoredTable pods) {
  std::fill(&LevelTable[0][0], &LevelTable[0][0] + sizeof(LevelTable) / sizeof(int32_t), 0);
  std::fill(&CarrierTable[0][0], &CarrierTable[0][0] + sizeof(CarrierTable) / sizeof(int32_t), 0);
  std::fill(&PodTable[0][0], &PodTable[0][0] + sizeof(PodTable) / sizeof(int32_t), 0);

  StoredValues values(levels);
  for (int row = 1; row <= kLastLevel; ++row) {
    for (int column = 0; column < kLevelColumns && values.Left() > 0; ++column) {
      LevelTable[row][column] = values.Next();
    }
  }
  ReadPlacementTable(carriers, kCarrierColumns, CarrierTable);
  ReadPlacementTable(pods, kPodColumns, PodTable);
}

void LoadLevelTables() {
  LoadLevelTablesFrom(Stored("level_table.bin"), Stored("carrier_table.bin"), Stored("pod_table.bin"));
}

//-----------------------------------------------------------------------------
// StartLevel. The landscape (BuildLevelLandscape: height map, terrain
// strips, wall tiles, tile maps) and then the level's settings draw from the
// generator in a fixed order right after reseeding it, so a level is the same
// in every game; gameplay then goes on drawing from where the level start
// left off.
//-----------------------------------------------------------------------------
void BuildLevelLandscape() {
  RandomSeed(static_cast<int32_t>(static_cast<uint32_t>(world.game.level) * 3278u));
  BuildHeightMap();
  PaintTerrainStrips();
  BuildWallTiles();
  BuildTileMaps();
}

void StartLevel() {
  World& w = world;
  const int32_t level = w.game.level;

  BuildLevelLandscape();

  w.game.levelFrame = 0;
  w.powerUp.powerUpActive = 0;
  w.game.deathTimer = 239;  // the entry run; 240 would mark a fresh death
  LevelSettings& s = w.levelSettings;
  s.tableCursor = Random(2047);
  s.hunterFireTimer = 16;
  const int32_t* row = LevelTable[level >= 0 && level < 100 ? level : 0];
  s.creatureFireInterval = row[0];
  s.creatureFireTimer = 256;
  s.bulletSpeedRow = row[1];
  s.swarmAccel = row[2];
  s.swarmPeriod = row[3];
  s.ringSwarmerPattern = row[4];
  s.minePodPattern = row[5];

  for (int r = 1; r <= kLastTableRow; ++r) {
    const int32_t* t = CarrierTable[r];
    if (t[0] == level) {
      Carrier& c = w.Carriers.Add();
      c.x = t[1] * 256;
      c.baseY = t[2] * 256;  // y follows from baseY at the carrier's first update
      c.vx = t[3];
      c.phase = t[4];
      c.launchInterval = t[5];
      c.creatureType = t[6];
      c.hp = t[7];
      c.launchCountdown = 1;
    }
    if (t[0] == kTableEnd) break;
  }
  for (int r = 1; r <= kLastTableRow; ++r) {
    const int32_t* t = PodTable[r];
    if (t[0] == level) {
      Pod& p = w.Pods.Add();
      p.x = t[1] * 256;
      p.y = t[2] * 256;
      p.debrisVX = t[3];
      p.heading = t[4];
      p.podType = t[5];
    }
    if (t[0] == kTableEnd) break;
  }
}
