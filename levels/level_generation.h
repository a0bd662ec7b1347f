// Level generation: the landscape of a level from the random generator.
//
// The level start reseeds the generator with level x 3278 and runs these, so
// a level's landscape is the same in every game.
#pragma once

#include <cstdint>

// Heights by column x (0..511, wrapping) and row y (0..256). Rows 0..207 are
// what the far layer shows.
extern int32_t HeightMap[512][257];
// Wall-tile sprite numbers (0 = empty) by column and row, top to bottom.
extern int32_t MidMap[64][5];
extern int32_t NearMap[128][4];

void BuildHeightMap();
void BuildTileMaps();

// The terrain and wall style of the current level: (level - 1) AND 3.
int32_t LevelStyle();
