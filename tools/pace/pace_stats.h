// The figures vantomir-tool pace reports about a run of loop passes.
//
// A pass is timed from the moment the one before it was released to the
// moment it is released itself; the recorder takes those moments from the
// monotonic clock and the process's CPU time beside them.
#pragma once

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <vector>

struct PaceSummary {
  int64_t passes = 0;
  double seconds = 0;          // from the first release to the last
  double passesPerSecond = 0;
  double meanMs = 0;           // pass interval
  double jitterMs = 0;         // its standard deviation
  double shortestMs = 0;
  double longestMs = 0;
  int64_t longerThan20Ms = 0;  // passes that came more than 20 ms after the one before
  int64_t longerThan25Ms = 0;
  double cpuMsPerSecond = 0;   // process CPU time (all threads) per second of the run
};

// Sums up pass intervals (nanoseconds) and the CPU time spent over them.
PaceSummary SummarisePasses(const std::vector<int64_t>& intervalsNs, double cpuSeconds);

void PrintPaceSummary(const PaceSummary& summary, std::FILE* out);

class PaceRecorder {
 public:
  // The first release: the clocks start here.
  void Start();
  // Another release.
  void Pass();
  // Seconds since Start.
  double Elapsed() const;
  PaceSummary Summary() const;

 private:
  int64_t start_ = 0, last_ = 0;
  std::clock_t cpuStart_ = 0;
  std::vector<int64_t> intervals_;
};
