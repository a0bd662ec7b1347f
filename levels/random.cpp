#include "levels/random.h"

#include <bit>

Rng rng{};

uint64_t NextRandom64() {
  const int lead = rng.leadPair;
  const int lag = rng.lagPair;
  uint32_t a = std::rotl(rng.table[2 * lead], 19) + rng.table[2 * lag];
  uint32_t b = std::rotl(rng.table[2 * lead + 1], 27) + rng.table[2 * lag + 1];
  // The words cross over: the even word takes the sum built from the odd one.
  rng.table[2 * lead] = b;
  rng.table[2 * lead + 1] = a;
  rng.leadPair = lead == 0 ? 16 : lead - 1;
  rng.lagPair = lag == 0 ? 16 : lag - 1;
  return (static_cast<uint64_t>(a) << 32) | b;
}

void RandomSeed(int32_t seed) {
  uint32_t x = static_cast<uint32_t>(seed);
  for (uint32_t& word : rng.table) {
    x = x * 0xAC564B05u + 1u;
    word = x;
  }
  rng.leadPair = 0;
  rng.lagPair = 10;
  for (int i = 0; i < 31; ++i) NextRandom64();
  rng.seeded = 1;
}

int32_t Random(int32_t max) {
  if (!rng.seeded) RandomSeed(static_cast<int32_t>(rng.fallbackSeed));
  uint64_t x = NextRandom64();
  if (max < 0) return INT32_MIN;
  // The top 32 bits of the 96-bit product x * (max + 1): monotonic in x.
  unsigned __int128 product = static_cast<unsigned __int128>(x) * (static_cast<uint64_t>(max) + 1);
  return static_cast<int32_t>(product >> 64);
}
