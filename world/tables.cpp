#include "world/tables.h"

#include <cmath>

#include "levels/random.h"

int32_t OrbitTable[256][4];
int32_t SatelliteSpacing[7];
int32_t SpeedCircle[6][256][2];
int32_t SwarmCircle[256][2];
int32_t HunterCircle[256][2];
int32_t AngleTable[257][257];
int32_t EntryCurve[81];

int32_t WanderX[2049];
int32_t WanderY[2049];
int32_t AimJitter[2049];
int32_t CreatureSpeeds[17][2][2049];
int32_t DebrisSprites[513];

const int32_t CreatureTypes[17][3] = {
    {0, 0, 0},
    {24, 12, 0},      // 1
    {24, 12, 16},     // 2
    {32, 40, 0},      // 3
    {18, 18, 6},      // 4
    {16, 64, 0},      // 5
    {64, 32, 12},     // 6
    {64, 128, 0},     // 7
    {64, 48, 4},      // 8
    {128, 192, 0},    // 9
    {64, 128, 8},     // 10
    {128, 256, 0},    // 11
    {128, 128, 1},    // 12
};

namespace {

//-----------------------------------------------------------------------------
// Start-up tables.
//
// The angles are a 256th of a turn, added up in single precision; sine and
// cosine are rounded to single precision before they are scaled. These
// readings are what make the tables' known values exact: EntryCurve[79] is
// 0x4800, SpeedCircle[4][64] is (0, 832), and (dx, dy) = (-1, 1) points at 96.
//-----------------------------------------------------------------------------

constexpr float kAngleStep = 0.024543695f;  // a 256th of a turn
constexpr float kEntryStep = 0.0198835f;

// Int of a single-precision value scaled by a whole number: the product is
// exact in double precision, then truncated towards zero.
int32_t Scaled(float value, int32_t scale) {
  return static_cast<int32_t>(static_cast<double>(value) * scale);
}

// Sine and cosine of each angle, rounded to single precision. They are kept
// in memory before anything is scaled: g++ 12 at -O2 otherwise packs the
// unrounded double values into its vector multiplies, and SpeedCircle[4][64]
// comes out as (0, 831).
struct Turn {
  float cos[256];
  float sin[256];
};

Turn MakeTurn() {
  Turn turn;
  float angle = 0.0f;
  for (int i = 0; i < 256; ++i) {
    turn.cos[i] = static_cast<float>(std::cos(static_cast<double>(angle)));
    turn.sin[i] = static_cast<float>(std::sin(static_cast<double>(angle)));
    angle += kAngleStep;
  }
  return turn;
}

void BuildCircles() {
  static Turn turn;
  turn = MakeTurn();
  for (int i = 0; i < 256; ++i) {
    const int32_t orbitX = Scaled(turn.cos[i], 3584);
    const int32_t orbitY = Scaled(turn.sin[i], 3584);
    OrbitTable[i][0] = orbitX + 0x800;
    OrbitTable[i][1] = orbitY + 0x200;
    OrbitTable[i][2] = (orbitX >> 8) + 5;
    OrbitTable[i][3] = (orbitY >> 8) + 1;
    for (int row = 0; row < 6; ++row) {
      const int32_t radius = 576 + 64 * row;
      SpeedCircle[row][i][0] = Scaled(turn.cos[i], radius);
      SpeedCircle[row][i][1] = Scaled(turn.sin[i], radius);
    }
    SwarmCircle[i][0] = Scaled(turn.cos[i], 768);
    SwarmCircle[i][1] = Scaled(turn.sin[i], 768);
    HunterCircle[i][0] = Scaled(turn.cos[i], 1344);
    HunterCircle[i][1] = Scaled(turn.sin[i], 1344);
  }
}

// The direction of (dx, dy) in single precision throughout, with pi as the
// nearest single-precision value.
int32_t Direction(int dx, int dy) {
  constexpr float kPi = 3.14159265358979f;
  float angle;
  if (dx == 0) {
    angle = dy < 0 ? 3.0f * kPi / 2.0f : kPi / 2.0f;
  } else {
    const float t = std::atan(static_cast<float>(std::abs(dy)) / static_cast<float>(std::abs(dx)));
    if (dx > 0) {
      angle = dy >= 0 ? t : 2.0f * kPi - t;
    } else {
      angle = dy >= 0 ? kPi - t : kPi + t;
    }
  }
  return static_cast<int32_t>(angle / (kPi / 2.0f) * 64.0f) & 255;
}

void BuildAngleTable() {
  for (int dx = -128; dx <= 128; ++dx) {
    for (int dy = -128; dy <= 128; ++dy) AngleTable[dx + 128][dy + 128] = Direction(dx, dy);
  }
}

void BuildEntryCurve() {
  float angle = 0.0f;
  for (int i = 0; i < 80; ++i) {
    const float s = static_cast<float>(std::sin(static_cast<double>(angle)));
    EntryCurve[i] = Scaled(s, 18432);
    angle += kEntryStep;
  }
}

//-----------------------------------------------------------------------------
// Per-game tables
//-----------------------------------------------------------------------------

struct SpeedSpread {
  int32_t baseX, spreadX, baseY, spreadY;
};

// Speed limits of creature types 1..12: base + Random(spread).
constexpr SpeedSpread kCreatureSpeedSpreads[13] = {
    {0, 0, 0, 0},
    {0x100, 0x180, 0x80, 0xC0},   // 1
    {0x100, 0x180, 0xC0, 0xC0},   // 2
    {0x100, 0x1C0, 0x100, 0x100}, // 3
    {0x100, 0x1C0, 0x100, 0x180}, // 4
    {0xC0, 0x180, 0x180, 0x180},  // 5
    {0x180, 0x100, 0xC0, 0x180},  // 6
    {0x100, 0x1C0, 0x80, 0x200},  // 7
    {0x100, 0x280, 0x100, 0x200}, // 8
    {0x100, 0x200, 0x100, 0x100}, // 9
    {0x100, 0x200, 0x100, 0x280}, // 10
    {0x180, 0x200, 0x180, 0x1C0}, // 11
    {0x100, 0x280, 0x100, 0x200}, // 12
};

}  // namespace

void BuildStartUpTables() {
  BuildCircles();
  const int32_t spacing[7] = {0, 0, 128, 85, 64, 51, 0};
  for (int n = 0; n < 7; ++n) SatelliteSpacing[n] = spacing[n];
  BuildAngleTable();
  BuildEntryCurve();
}

void BuildGameTables() {
  for (int i = 0; i < 2048; ++i) {
    WanderX[i] = (Random(384) - 64) * 256;
    WanderY[i] = (Random(192) + 8) * 256;
    AimJitter[i] = Random(14) - 7;
  }
  for (int k = 1; k <= 12; ++k) {
    const SpeedSpread& s = kCreatureSpeedSpreads[k];
    for (int i = 0; i < 2048; ++i) {
      CreatureSpeeds[k][0][i] = s.baseX + Random(s.spreadX);
      CreatureSpeeds[k][1][i] = s.baseY + Random(s.spreadY);
    }
  }
  for (int i = 0; i < 512; ++i) DebrisSprites[i] = 90 + Random(7);
}
