#include "tools/pace/latency_stats.h"

#include <algorithm>

namespace {

double Ms(int64_t ns) { return double(ns) * 1e-6; }

// The smallest value that at least percent of the sorted values reach.
int64_t NearestRank(const std::vector<int64_t>& sorted, int percent) {
  const size_t rank = (sorted.size() * size_t(percent) + 99) / 100;  // 1-based, rounded up
  return sorted[std::max<size_t>(rank, 1) - 1];
}

void Count(int64_t passes, int64_t (&counts)[3]) { ++counts[std::clamp<int64_t>(passes, 0, 2)]; }

}  // namespace

Spread SpreadOf(std::vector<int64_t> delaysNs) {
  Spread s;
  s.count = int64_t(delaysNs.size());
  if (delaysNs.empty()) return s;
  std::sort(delaysNs.begin(), delaysNs.end());
  s.medianMs = Ms(NearestRank(delaysNs, 50));
  s.p95Ms = Ms(NearestRank(delaysNs, 95));
  s.worstMs = Ms(delaysNs.back());
  return s;
}

InputSummary SummariseInputs(const std::vector<InputTiming>& inputs) {
  InputSummary summary;
  std::vector<int64_t> toPresent, takenToPresent;
  for (const InputTiming& t : inputs) {
    toPresent.push_back(t.shownNs - t.arrivedNs);
    takenToPresent.push_back(t.shownNs - t.takenNs);
    Count(t.takenPass - t.arrivedPass, summary.takenAfter);
    Count(t.shownPass - t.takenPass, summary.shownAfter);
  }
  summary.arrivalToPresent = SpreadOf(std::move(toPresent));
  summary.takenToPresent = SpreadOf(std::move(takenToPresent));
  return summary;
}

SoundSummary SummariseSounds(const std::vector<SoundTiming>& sounds, int64_t queuedAheadNs,
                             const std::vector<int64_t>& pieceStartsNs) {
  SoundSummary summary;
  std::vector<int64_t> toMix, toOut, intervals;
  for (const SoundTiming& t : sounds) {
    toMix.push_back(t.mixedNs - t.requestNs);
    toOut.push_back(t.mixedNs + queuedAheadNs - t.requestNs);
  }
  for (size_t i = 1; i < pieceStartsNs.size(); ++i) intervals.push_back(pieceStartsNs[i] - pieceStartsNs[i - 1]);
  summary.requestToMix = SpreadOf(std::move(toMix));
  summary.requestToOut = SpreadOf(std::move(toOut));
  summary.pieceIntervals = SpreadOf(std::move(intervals));
  return summary;
}

void PrintSpread(const char* what, const Spread& s, std::FILE* out) {
  std::fprintf(out, "%s: median %.1f ms, 95th percentile %.1f ms, worst %.1f ms (%lld)\n", what, s.medianMs,
               s.p95Ms, s.worstMs, static_cast<long long>(s.count));
}
