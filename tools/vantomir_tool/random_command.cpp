// vantomir-tool random SEED MAX COUNT
#include <cstdio>

#include "levels/random.h"
#include "tools/vantomir_tool/args.h"
#include "tools/vantomir_tool/commands.h"

int RandomCommand(const Args& args) {
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    std::printf(
        "usage: vantomir-tool random SEED MAX COUNT\n\n"
        "Seeds the game's generator with SEED and prints COUNT values of Random(MAX),\n"
        "one a line. SEED and MAX are signed 32-bit integers.\n");
    return 0;
  }
  if (args.size() != 3) return UsageError("random", "expected SEED MAX COUNT");
  auto seed = ParseInteger(args[0], INT32_MIN, UINT32_MAX);
  auto max = ParseInteger(args[1], INT32_MIN, INT32_MAX);
  auto count = ParseInteger(args[2], 0, 100000000);
  if (!seed) return UsageError("random", "SEED must be a 32-bit integer: '" + args[0] + "'");
  if (!max) return UsageError("random", "MAX must be a signed 32-bit integer: '" + args[1] + "'");
  if (!count) return UsageError("random", "COUNT must be a number 0..100000000: '" + args[2] + "'");
  RandomSeed(static_cast<int32_t>(static_cast<uint32_t>(*seed)));
  for (int64_t i = 0; i < *count; ++i) std::printf("%d\n", Random(static_cast<int32_t>(*max)));
  return 0;
}
