// An hour's replay: what its recording takes on the disk, what its snapshots
// take in memory, and what a jump costs.
//
// The hour is a player's game with lives to spare (it lasts the hour),
// flown with the mouse as a player flies: the pointer sweeps from one spot
// to the next every second or so, the request follows through the game's
// own mouse response, and fire comes in bursts, so the input changes almost
// every frame. It is played once through the replay, which keeps its
// snapshots as it goes (ReplayHour, one iteration: its counters are the
// recording's sizes and the snapshots' memory). Then:
//   ReplayJump/back10s    a jump ten seconds back from a moment of the hour
//                         (and, untimed, forward again to where it was);
//   ReplayJump/anywhere   a jump to a moment anywhere in the hour already
//                         played.
// Counters p50_ms, p99_ms and max_ms are per jump. Targets: an hour's file
// within 1 MB, its snapshots within 64 MB, a jump within a few milliseconds.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "audio/music.h"
#include "input/game_input.h"
#include "input/input.h"
#include "platform/headless.h"
#include "recording/format.h"
#include "recording/replay.h"
#include "shell/shell.h"
#include "world/world.h"

namespace {

constexpr int64_t kHour = 60 * 60 * 60;

// The mouse's request for a pointer coordinate, at sensitivity 3.
int32_t Request(const int32_t* linear, const int32_t* cubic, int p) { return (linear[p] * 4 + cubic[p] * 2) / 6; }

RecordedGame AnHourOfPlay() {
  RecordedGame game;
  game.seed = 4711;
  game.lives = 1000;
  std::mt19937 random(2026);
  double x = 320, y = 240, toX = 320, toY = 240;
  int fire = 0;
  for (int64_t f = 0; f < kHour; ++f) {
    if (f % 70 == 0) {
      toX = std::uniform_int_distribution<int>(40, 600)(random);
      toY = std::uniform_int_distribution<int>(40, 440)(random);
    }
    if (f % 45 == 0) fire = std::uniform_int_distribution<int>(0, 3)(random) != 0;
    x += (toX - x) * 0.08;  // the hand eases towards the spot
    y += (toY - y) * 0.08;
    const int px = std::clamp(static_cast<int>(x), 0, 640), py = std::clamp(static_cast<int>(y), 0, 480);
    game.frames.push_back(PlayInput{Request(MouseResponseX[Linear], MouseResponseX[Cubic], px),
                                    Request(MouseResponseY[Linear], MouseResponseY[Cubic], py), fire, 0, 0});
  }
  game.ended = true;
  return game;
}

struct Hour {
  Recording recording;
  size_t storedBytes = 0, textBytes = 0, oldTextBytes = 0;
  double playSeconds = 0;
};

// The game started headless once, and the hour played through the replay.
Hour& PlayedHour() {
  static Hour* hour = [] {
    auto* h = new Hour;
    platform::headless::Reset();
    SetMusicDriver(MusicDriver::Caller);
    std::filesystem::current_path(std::filesystem::temp_directory_path());
    StartUp();
    RunPass();
    h->recording.games.push_back(AnHourOfPlay());
    const std::string text = EncodeRecording(h->recording);
    h->textBytes = text.size();
    h->storedBytes = Gzip(text).size();
    for (const PlayInput& in : h->recording.games[0].frames) h->oldTextBytes += RecordingFrameLine(in).size();
    StartReplay(h->recording, ReplayEnd::EndGame, ReplayExit::Title);
    const auto began = std::chrono::steady_clock::now();
    while (ReplayPosition() < kHour - 600 && RecordingPlays()) PlayRecordingFrames(600);
    h->playSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    return h;
  }();
  return *hour;
}

void BM_ReplayHour(benchmark::State& state) {
  Hour& h = PlayedHour();
  for (auto _ : state) benchmark::DoNotOptimize(h.storedBytes);
  state.counters["file_KB"] = static_cast<double>(h.storedBytes) / 1024;
  state.counters["text_KB"] = static_cast<double>(h.textBytes) / 1024;
  state.counters["v1_text_KB"] = static_cast<double>(h.oldTextBytes) / 1024;
  state.counters["snapshots_MB"] = static_cast<double>(ReplaySnapshotBytes()) / (1 << 20);
  state.counters["spacing_frames"] = static_cast<double>(ReplaySnapshotSpacing());
  state.counters["played_s"] = h.playSeconds;
  state.counters["reached_level"] = world.game.level;
}
BENCHMARK(BM_ReplayHour)->Iterations(1)->Unit(benchmark::kMillisecond);

void Percentiles(benchmark::State& state, std::vector<double> ms) {
  std::sort(ms.begin(), ms.end());
  if (ms.empty()) return;
  state.counters["p50_ms"] = ms[ms.size() / 2];
  state.counters["p99_ms"] = ms[ms.size() * 99 / 100];
  state.counters["max_ms"] = ms.back();
}

void BM_ReplayJump(benchmark::State& state) {
  PlayedHour();
  const bool anywhere = state.range(0) == 1;
  std::mt19937 random(7);
  std::vector<double> ms;
  for (auto _ : state) {
    const int64_t from = ReplayPosition();
    const int64_t jump = anywhere ? std::uniform_int_distribution<int64_t>(1, kHour - 700)(random) - from : -600;
    const auto began = std::chrono::steady_clock::now();
    JumpReplay(jump);
    ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - began).count());
    if (!anywhere) {
      state.PauseTiming();
      JumpReplay(from - ReplayPosition() - 37);  // back where it was, a little further on each time
      state.ResumeTiming();
    }
  }
  Percentiles(state, ms);
}
BENCHMARK(BM_ReplayJump)->ArgName("anywhere")->Arg(0)->Arg(1)->Iterations(200)->Unit(benchmark::kMillisecond);

}  // namespace
