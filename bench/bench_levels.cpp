// Level start and the per-game tables: both run inside one frame (16.7 ms);
// StartLevel, terrain strips and wall tiles included, should stay within 3 ms.
#include <benchmark/benchmark.h>

#include "levels/level_generation.h"
#include "levels/level_progression.h"
#include "levels/random.h"
#include "render/display.h"
#include "render/graphics.h"
#include "world/tables.h"
#include "world/world.h"

namespace {

void PrepareGraphics() {
  ResetDisplayServices();
  LoadLevelTables();
  BuildWaveTables();
  BuildGraphics();
}

// The whole level start of level N, landscape painting included.
void BM_StartLevel(benchmark::State& state) {
  PrepareGraphics();
  const int32_t level = static_cast<int32_t>(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    ClearAllEntities();
    world.game.level = level;
    state.ResumeTiming();
    StartLevel();
    benchmark::DoNotOptimize(HeightMap[511][255]);
  }
}
BENCHMARK(BM_StartLevel)->Arg(1)->Arg(14)->Arg(21)->Unit(benchmark::kMillisecond);

// Its parts: the generators alone, and the two painting steps.
void BM_BuildHeightMap(benchmark::State& state) {
  for (auto _ : state) {
    RandomSeed(3278);
    BuildHeightMap();
    benchmark::DoNotOptimize(HeightMap[511][255]);
  }
}
BENCHMARK(BM_BuildHeightMap)->Unit(benchmark::kMicrosecond);

void BM_BuildTileMaps(benchmark::State& state) {
  for (auto _ : state) {
    RandomSeed(3278);
    BuildTileMaps();
    benchmark::DoNotOptimize(NearMap[127][3]);
  }
}
BENCHMARK(BM_BuildTileMaps)->Unit(benchmark::kMicrosecond);

void BM_PaintTerrainStripsAndWallTiles(benchmark::State& state) {
  PrepareGraphics();
  world.game.level = 1;
  RandomSeed(3278);
  BuildHeightMap();
  for (auto _ : state) {
    PaintTerrainStrips();
    BuildWallTiles();
  }
}
BENCHMARK(BM_PaintTerrainStripsAndWallTiles)->Unit(benchmark::kMicrosecond);

// The new game's random tables: 55,808 draws.
void BM_BuildGameTables(benchmark::State& state) {
  for (auto _ : state) {
    RandomSeed(123456);
    BuildGameTables();
    benchmark::DoNotOptimize(DebrisSprites[511]);
  }
}
BENCHMARK(BM_BuildGameTables)->Unit(benchmark::kMicrosecond);

void BM_BuildStartUpTables(benchmark::State& state) {
  for (auto _ : state) {
    BuildStartUpTables();
    benchmark::DoNotOptimize(AngleTable[256][256]);
  }
}
BENCHMARK(BM_BuildStartUpTables)->Unit(benchmark::kMicrosecond);

}  // namespace
