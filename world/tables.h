// Lookup tables of the game world.
//
// The start-up tables (orbits, velocity circles, directions, the entry curve)
// are built once when the program starts. The per-game tables are drawn from
// the random generator right after a new game reseeds it; every index into
// them is masked (AND 2047, AND 511), so their last slots stay 0.
#pragma once

#include <cstdint>

//-----------------------------------------------------------------------------
// Start-up tables
//-----------------------------------------------------------------------------

// By angle: shot offsets from the ship (units) in columns 0 and 1, satellite
// sprite offsets (pixels) in columns 2 and 3.
extern int32_t OrbitTable[256][4];
// Angle between satellites for 1..5 satellites.
extern int32_t SatelliteSpacing[7];
// Velocity (x, y) by angle, for speeds 576 + 64 × row units per frame.
extern int32_t SpeedCircle[6][256][2];
extern int32_t SwarmCircle[256][2];   // speed 768
extern int32_t HunterCircle[256][2];  // speed 1344
// Direction of (dx, dy) as an angle 0..255, at [dx + 128][dy + 128].
extern int32_t AngleTable[257][257];
// The ship's entry run: eases from 0 to 0x4800 over entries 0..79.
extern int32_t EntryCurve[81];

// Steering of creature types 1..12: ax, ay, steerPeriod. Rows 0 and 13..16
// are zero. Odd types wander, even types home in on the ship.
extern const int32_t CreatureTypes[17][3];

void BuildStartUpTables();

//-----------------------------------------------------------------------------
// Per-game tables
//-----------------------------------------------------------------------------

extern int32_t WanderX[2049];    // wander targets, -64..320 pixels, in units
extern int32_t WanderY[2049];    // 8..200 pixels, in units
extern int32_t AimJitter[2049];  // -7..7 added to an aim angle
// Speed limits by creature type: [type][0][i] maxVX, [type][1][i] maxVY.
extern int32_t CreatureSpeeds[17][2][2049];
extern int32_t DebrisSprites[513];  // 90..97

// Draws the per-game tables from the generator: 55,808 draws.
void BuildGameTables();
