// The game's random number generator.
//
// Every level's landscape and every demonstration depend on its exact
// sequence, so no library generator may take its place. It is a lagged
// generator over 17 pairs of 32-bit words: a step rotates the words of one
// pair by 19 and 27 bits and adds the words of the pair ten places on; seeding
// fills the table from a linear congruential sequence.
#pragma once

#include <cstdint>

struct Rng {
  uint32_t table[34];     // 17 pairs; pair k is words 2k (even) and 2k+1 (odd)
  int32_t leadPair;       // the pair a step rewrites, 0..16
  int32_t lagPair;        // the pair a step adds in, always leadPair + 10 mod 17
  int32_t seeded;         // 0 until the first RandomSeed
  uint32_t fallbackSeed;  // seed of a draw made before any seeding (start-up clock)

  bool operator==(const Rng&) const = default;
};

extern Rng rng;

// Replaces the whole state with the one that seed gives.
void RandomSeed(int32_t seed);

// 0..max inclusive (-2147483648 for a negative max); one step on every call.
int32_t Random(int32_t max);

// One step of the generator.
uint64_t NextRandom64();
