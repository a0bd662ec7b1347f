// The figures vantomir-tool latency reports: how long an input takes to show
// on the screen and a sound to leave the audio output, and in which loop
// passes an input was taken in and shown.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

// Delays summed up: the median, the 95th percentile (both nearest-rank: the
// smallest delay at least that share of the delays reach) and the worst.
struct Spread {
  int64_t count = 0;
  double medianMs = 0;
  double p95Ms = 0;
  double worstMs = 0;
};
Spread SpreadOf(std::vector<int64_t> delaysNs);

// One input's way through the loop: when it reached the game's event queue,
// when a pass took it in and when the first frame showing it was presented
// (monotonic nanoseconds), and the loop passes under way at each moment.
struct InputTiming {
  int64_t arrivedNs = 0, takenNs = 0, shownNs = 0;
  int64_t arrivedPass = 0, takenPass = 0, shownPass = 0;
};

struct InputSummary {
  Spread arrivalToPresent;
  Spread takenToPresent;
  // Passes from the one under way when the input arrived to the one that took
  // it in: 0, 1, more.
  int64_t takenAfter[3] = {};
  // Passes from the one that took it in to the one whose present showed it.
  int64_t shownAfter[3] = {};
};
InputSummary SummariseInputs(const std::vector<InputTiming>& inputs);

// One sound request: when it was made, and when the piece of output that
// carried its first sample was begun.
struct SoundTiming {
  int64_t requestNs = 0;
  int64_t mixedNs = 0;
};

struct SoundSummary {
  Spread requestToMix;
  // Request to the first sample leaving: the piece carrying it leaves after
  // the one queued ahead of it, so queuedAheadNs is added to its start.
  Spread requestToOut;
  Spread pieceIntervals;  // between the starts of successive pieces
};
SoundSummary SummariseSounds(const std::vector<SoundTiming>& sounds, int64_t queuedAheadNs,
                             const std::vector<int64_t>& pieceStartsNs);

void PrintSpread(const char* what, const Spread& spread, std::FILE* out);
