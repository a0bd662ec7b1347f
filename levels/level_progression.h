// Level progression: the level tables and the level start.
//
// A level is chosen by its number alone: the landscape is generated from the
// seed level × 3278, the difficulty settings are row `level` of LevelTable,
// and the carriers and pods are the rows of CarrierTable and PodTable for
// that level. The three tables are carried in the program as signed 32-bit
// little-endian values, row by row, in assets/level_table.bin (21 rows),
// carrier_table.bin and pod_table.bin (each up to and including its end row),
// written by tools/level_tables.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr int32_t kLastLevel = 21;
constexpr int32_t kTableEnd = -999;  // level column of a placement table's end row

// Rows 1..21, columns: creatureFireInterval, bulletSpeedRow, swarmAccel,
// swarmPeriod, ringSwarmerPattern, minePodPattern.
extern int32_t LevelTable[100][7];
// Rows from 1, ending with a row whose level is kTableEnd. Columns: level,
// x, y (whole pixels), vx, phase, launchInterval, creatureType, hp.
extern int32_t CarrierTable[1025][8];
// Rows from 1, ending likewise. Columns: level, x, y (whole pixels),
// debrisVX, heading, podType.
extern int32_t PodTable[1025][9];

// Reads the three embedded tables; once, at start-up.
void LoadLevelTables();

// Stored values of one table: size bytes at data (null for none).
struct StoredTable {
  const uint8_t* data;
  size_t size;
};

// The same from given stored values. A table whose data ends early keeps
// what is there and 0 for the rest; a placement table always ends with an
// end row.
void LoadLevelTablesFrom(StoredTable levels, StoredTable carriers, StoredTable pods);

// The landscape of level world.game.level alone: the generator seeded from
// the level, the height map, its terrain strips and wall tiles, and the tile
// maps. The first steps of StartLevel; also used to put a level's landscape
// back when a replay jumps to another level.
void BuildLevelLandscape();

// Builds level world.game.level: the landscape, its wall tiles and terrain
// strips, the level settings, and the level's carriers and pods appended to
// their lists. Empties no list.
void StartLevel();
