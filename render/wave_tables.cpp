//-----------------------------------------------------------------------------
// The wave table and the four plasma palettes, built once at start-up.
//
// The angles are stepped in single precision exactly as written, and the sine
// and cosine of each single-precision angle are taken in double precision,
// scaled and offset in double and truncated. Any other order of rounding
// moves a few entries by one (row 1, entry 128 needs sin in double to come
// out as (31, 78, 63)).
//-----------------------------------------------------------------------------
#include <cmath>

#include "render/graphics.h"

int32_t WaveTable[257];
Colour PlasmaPalettes[4][1024];

namespace {

// Two units in the last place below the float nearest to pi.
constexpr float kPi = 3.1415923f;

int32_t Wave(double value, double scale, double offset) {
  return static_cast<int32_t>(value * scale + offset);
}

}  // namespace

void BuildWaveTables() {
  const float step1 = kPi * 2.0f / 256.0f;  // a full turn in 256 steps
  const float step2 = kPi * 2.0f / 512.0f;  // a full turn in 512 steps

  float a = 0.0f;
  for (int i = 0; i < 256; ++i) {
    WaveTable[i] = Wave(std::cos(static_cast<double>(a)), 127.0, 128.0);
    a = a + step1;
  }

  // b turns twice over the 512 entries, d once.
  float b = 0.0f;
  float d = 0.0f;
  for (int i = 0; i < 512; ++i) {
    const int32_t s1 = Wave(std::sin(static_cast<double>(b)), 127.0, 128.0);
    const int32_t s2 = Wave(std::cos(static_cast<double>(d)), 63.0, 64.0);
    const int32_t s3 = Wave(std::cos(static_cast<double>(d)), 127.0, 128.0);
    const int32_t s4 = Wave(std::sin(static_cast<double>(d)), 128.0, 128.0);
    const Colour rows[4] = {
        MakeColour(s1 >> 3, (s3 >> 3) + (s2 >> 3), (s3 >> 2) + (s1 >> 3)),
        MakeColour(s4 >> 3, (s4 >> 2) + (s1 >> 3), s4 >> 2),
        MakeColour((s4 >> 2) + (s1 >> 2) + (s2 >> 4), (s2 >> 4) + (s1 >> 3), (s4 >> 3) + (s1 >> 3)),
        MakeColour((s1 >> 2) + (s2 >> 3), (s1 >> 3) + (s2 >> 2), s1 >> 2),
    };
    for (int row = 0; row < 4; ++row) {
      PlasmaPalettes[row][i] = rows[row];
      PlasmaPalettes[row][i + 512] = rows[row];  // lets an index up to 1021 run without wrapping
    }
    b = b + step1;
    d = d + step2;
  }
}
