// The pass schedule of the frame pacer (no clock involved) and the figures
// vantomir-tool pace prints.
#include <gtest/gtest.h>

#include <vector>

#include "platform/pacer.h"
#include "tools/pace/pace_stats.h"

namespace {

using platform::PassSchedule;

constexpr int64_t kSecond = 1'000'000'000;
constexpr int64_t kPeriod = kSecond / 60;  // 16666666 ns, 40 ns a second left over

TEST(PassSchedule, PassKIsDueKSixtiethsOfASecondAfterTheStartWithoutDrift) {
  PassSchedule schedule;
  const int64_t start = 5 * kSecond + 123;
  EXPECT_EQ(schedule.Claim(start), start);  // the first pass is due at once
  int64_t due = start;
  for (int64_t pass = 1; pass <= 36000; ++pass) {  // ten minutes, always exactly on time
    due = schedule.Claim(due);
    ASSERT_EQ(due - start, pass * kSecond / 60) << pass;
  }
}

TEST(PassSchedule, AnEarlyOrSlightlyLateLoopKeepsTheSchedule) {
  PassSchedule schedule;
  schedule.Claim(0);
  // Asking early still gets the scheduled time; a pass up to four periods
  // late does not move the later ones.
  EXPECT_EQ(schedule.Claim(1000), kPeriod);
  EXPECT_EQ(schedule.Claim(2 * kPeriod + 4 * kPeriod), 2 * kSecond / 60);
  EXPECT_EQ(schedule.Claim(2 * kPeriod + 4 * kPeriod), 3 * kSecond / 60);
}

TEST(PassSchedule, FallingMoreThanFourPassesBehindRestartsFromNow) {
  PassSchedule schedule;
  schedule.Claim(0);
  const int64_t late = kPeriod + 4 * kPeriod + 1;
  EXPECT_EQ(schedule.Claim(late), late);  // at once, no racing through missed passes
  EXPECT_EQ(schedule.Claim(late), late + kPeriod);
  // The restarted schedule again adds up to whole seconds.
  int64_t due = late + kPeriod;
  for (int pass = 2; pass < 60; ++pass) due = schedule.Claim(due);
  EXPECT_EQ(schedule.Claim(due), late + kSecond);
}

TEST(PassSchedule, ResetStartsAfresh) {
  PassSchedule schedule;
  schedule.Claim(0);
  schedule.Claim(0);
  schedule.Reset();
  EXPECT_EQ(schedule.Claim(kPeriod / 2), kPeriod / 2);
  EXPECT_EQ(schedule.Claim(kPeriod / 2), kPeriod / 2 + kPeriod);
}

TEST(PaceSummary, FiguresOfARun) {
  // 58 passes on time, one at 21 ms and one at 26 ms; 30 ms of CPU.
  std::vector<int64_t> intervals(58, 16'000'000);
  intervals.push_back(21'000'000);
  intervals.push_back(26'000'000);
  const PaceSummary s = SummarisePasses(intervals, 0.030);
  EXPECT_EQ(s.passes, 60);
  EXPECT_DOUBLE_EQ(s.seconds, 0.975);
  EXPECT_NEAR(s.passesPerSecond, 60 / 0.975, 1e-9);
  EXPECT_NEAR(s.meanMs, 16.25, 1e-9);
  EXPECT_NEAR(s.jitterMs, 1.42156, 1e-5);  // sqrt((58 * 0.25^2 + 4.75^2 + 9.75^2) / 60)
  EXPECT_DOUBLE_EQ(s.shortestMs, 16);
  EXPECT_DOUBLE_EQ(s.longestMs, 26);
  EXPECT_EQ(s.longerThan20Ms, 2);
  EXPECT_EQ(s.longerThan25Ms, 1);
  EXPECT_NEAR(s.cpuMsPerSecond, 30 / 0.975, 1e-9);
}

TEST(PaceSummary, NoPassesGiveZeros) {
  const PaceSummary s = SummarisePasses({}, 1.0);
  EXPECT_EQ(s.passes, 0);
  EXPECT_EQ(s.passesPerSecond, 0);
  EXPECT_EQ(s.cpuMsPerSecond, 0);
}

}  // namespace
