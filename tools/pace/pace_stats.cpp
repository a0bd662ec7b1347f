#include "tools/pace/pace_stats.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace {

int64_t Now() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace

PaceSummary SummarisePasses(const std::vector<int64_t>& intervalsNs, double cpuSeconds) {
  PaceSummary s;
  s.passes = int64_t(intervalsNs.size());
  if (intervalsNs.empty()) return s;
  int64_t total = 0;
  for (int64_t v : intervalsNs) total += v;
  s.seconds = double(total) * 1e-9;
  s.passesPerSecond = double(s.passes) / s.seconds;
  s.meanMs = double(total) * 1e-6 / double(s.passes);
  double variance = 0;
  s.shortestMs = s.longestMs = double(intervalsNs[0]) * 1e-6;
  for (int64_t v : intervalsNs) {
    const double ms = double(v) * 1e-6;
    variance += (ms - s.meanMs) * (ms - s.meanMs);
    s.shortestMs = std::min(s.shortestMs, ms);
    s.longestMs = std::max(s.longestMs, ms);
    s.longerThan20Ms += v > 20'000'000;
    s.longerThan25Ms += v > 25'000'000;
  }
  s.jitterMs = std::sqrt(variance / double(s.passes));
  s.cpuMsPerSecond = cpuSeconds * 1e3 / s.seconds;
  return s;
}

void PrintPaceSummary(const PaceSummary& s, std::FILE* out) {
  std::fprintf(out, "passes: %lld in %.3f s\n", static_cast<long long>(s.passes), s.seconds);
  std::fprintf(out, "passes per second: %.2f\n", s.passesPerSecond);
  std::fprintf(out,
               "interval: mean %.3f ms, jitter %.3f ms (standard deviation), shortest %.3f ms, "
               "longest %.3f ms\n",
               s.meanMs, s.jitterMs, s.shortestMs, s.longestMs);
  std::fprintf(out, "late passes: %lld longer than 20 ms, %lld longer than 25 ms\n",
               static_cast<long long>(s.longerThan20Ms), static_cast<long long>(s.longerThan25Ms));
  std::fprintf(out, "CPU: %.1f ms per second (%.1f%% of one core)\n", s.cpuMsPerSecond,
               s.cpuMsPerSecond / 10);
}

void PaceRecorder::Start() {
  cpuStart_ = std::clock();
  start_ = last_ = Now();
  intervals_.clear();
}

void PaceRecorder::Pass() {
  const int64_t now = Now();
  intervals_.push_back(now - last_);
  last_ = now;
}

double PaceRecorder::Elapsed() const { return double(last_ - start_) * 1e-9; }

PaceSummary PaceRecorder::Summary() const {
  return SummarisePasses(intervals_, double(std::clock() - cpuStart_) / CLOCKS_PER_SEC);
}
