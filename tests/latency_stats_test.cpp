// The figures of vantomir-tool latency: nearest-rank percentiles, the passes
// an input waited for, and a sound's way out through the piece queued ahead.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <vector>

#include "tools/pace/latency_stats.h"

namespace {

constexpr int64_t kMs = 1'000'000;

TEST(LatencySpread, NearestRankPercentilesOfShuffledDelays) {
  std::vector<int64_t> delays(20);
  std::iota(delays.begin(), delays.end(), 1);  // 1..20 ms
  for (int64_t& d : delays) d *= kMs;
  std::shuffle(delays.begin(), delays.end(), std::mt19937(7));
  Spread s = SpreadOf(delays);
  EXPECT_EQ(s.count, 20);
  EXPECT_DOUBLE_EQ(s.medianMs, 10);  // the 10th of 20 reaches half of them
  EXPECT_DOUBLE_EQ(s.p95Ms, 19);     // the 19th reaches 95 %
  EXPECT_DOUBLE_EQ(s.worstMs, 20);

  // 21 values: the 11th is the middle, and 95 % of 21 needs the 20th.
  delays.push_back(21 * kMs);
  s = SpreadOf(delays);
  EXPECT_DOUBLE_EQ(s.medianMs, 11);
  EXPECT_DOUBLE_EQ(s.p95Ms, 20);

  s = SpreadOf({3 * kMs});
  EXPECT_DOUBLE_EQ(s.medianMs, 3);
  EXPECT_DOUBLE_EQ(s.p95Ms, 3);
  EXPECT_DOUBLE_EQ(s.worstMs, 3);
  EXPECT_EQ(SpreadOf({}).count, 0);
}

TEST(LatencySummary, InputsAreCountedByThePassesTheyWaited) {
  // arrived, taken, shown (ms) and the passes under way then.
  const std::vector<InputTiming> inputs = {
      {0, 5 * kMs, 8 * kMs, 10, 10, 10},       // taken and shown by the pass it arrived in
      {0, 9 * kMs, 12 * kMs, 10, 11, 11},      // taken by the next, shown by that one
      {0, 2 * kMs, 20 * kMs, 10, 10, 11},      // shown a pass after it was taken
      {0, 40 * kMs, 70 * kMs, 10, 13, 16},     // later and later
  };
  const InputSummary s = SummariseInputs(inputs);
  EXPECT_EQ(std::vector<int64_t>(s.takenAfter, s.takenAfter + 3), (std::vector<int64_t>{2, 1, 1}));
  EXPECT_EQ(std::vector<int64_t>(s.shownAfter, s.shownAfter + 3), (std::vector<int64_t>{2, 1, 1}));
  EXPECT_DOUBLE_EQ(s.arrivalToPresent.medianMs, 12);
  EXPECT_DOUBLE_EQ(s.arrivalToPresent.worstMs, 70);
  EXPECT_DOUBLE_EQ(s.takenToPresent.medianMs, 3);  // 3, 3, 18, 30
  EXPECT_DOUBLE_EQ(s.takenToPresent.worstMs, 30);
}

TEST(LatencySummary, ASoundLeavesAfterThePieceQueuedAheadOfIt) {
  // Requests 2 ms and 9 ms before the start of the piece that carries them,
  // and one just after its piece began, mixed in it all the same.
  const std::vector<SoundTiming> sounds = {
      {100 * kMs, 102 * kMs}, {200 * kMs, 209 * kMs}, {300 * kMs, 300 * kMs - 10}};
  const SoundSummary s = SummariseSounds(sounds, 12 * kMs, {0, 12 * kMs, 23 * kMs, 35 * kMs});
  EXPECT_DOUBLE_EQ(s.requestToMix.medianMs, 2);
  EXPECT_DOUBLE_EQ(s.requestToMix.worstMs, 9);
  EXPECT_DOUBLE_EQ(s.requestToOut.medianMs, 14);
  EXPECT_DOUBLE_EQ(s.requestToOut.worstMs, 21);
  EXPECT_EQ(s.pieceIntervals.count, 3);
  EXPECT_DOUBLE_EQ(s.pieceIntervals.medianMs, 12);
  EXPECT_DOUBLE_EQ(s.pieceIntervals.worstMs, 12);
}

}  // namespace
