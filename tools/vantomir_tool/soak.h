// The soak run: the real main loop, headless, for many passes of random
// input from its own seeded generator (never the game's), across the title,
// the menus, games, name entries and demonstrations. It measures every pass
// and the resident memory, and checks that the entity lists are empty
// whenever no game is on.
//
// The game works in the current directory (settings file, screenshots): run
// it in a directory of its own.
#pragma once

#include <array>
#include <cstdint>
#include <string>

struct SoakOptions {
  int64_t passes = 100000;
  uint64_t seed = 1;
  int64_t warmUp = 10000;  // memory is compared from this pass on, once every kind of input has come
};

struct SoakReport {
  int64_t passes = 0;                  // loop passes run
  std::array<int64_t, 7> screenPasses{};  // passes by ScreenState
  int64_t games = 0;                   // games started from the title
  int64_t demonstrations = 0;
  int64_t gameOvers = 0;               // games and demonstrations that ended by the game-over count
  int64_t nameEntries = 0;
  int64_t allClears = 0;
  int64_t restarts = 0;                // the loop ended (EXIT, Escape on the title): shut down and started again
  int64_t screenshots = 0;
  int64_t focusLosses = 0;
  int64_t listsNotEmpty = 0;           // passes outside a game with an entity left in a list

  // Time of RunPass alone (the music is rendered outside it, as its own
  // thread does in the game): on the clock, and the CPU time of the thread,
  // which other processes on the machine do not lengthen.
  struct Pass {
    int64_t pass = -1;
    double wallMs = 0, cpuMs = 0;
    int screen = 0, nextScreen = 0;  // ScreenState during the pass and after it
    bool builtGraphics = false;      // the pass built every sprite (start, focus back)
  };
  std::array<Pass, 5> worstPasses{};  // by time on the clock, worst first
  double worstPassCpuMs = 0;
  int64_t passesOver16Ms = 0;
  int64_t passesOver16MsCpu = 0;
  double p50Ms = 0, p99Ms = 0, p999Ms = 0;  // on the clock

  // Resident memory in KiB: at the end of the warm-up (the pass given, or
  // later when some kind of input had not come by then; -1: it never
  // ended), its largest after it, and at the end.
  int64_t warmUpEnd = -1;
  int64_t rssAfterWarmUpKb = 0;
  int64_t rssMaxAfterWarmUpKb = 0;
  int64_t rssEndKb = 0;

  uint64_t digest = 0;  // the game's state at the end: equal for equal seeds
};

// Resident memory of this process in KiB (0 when unknown).
int64_t ResidentKb();

// Runs the soak from start-up to shutdown in the current directory; progress
// (may be null) is called every 100,000 passes.
SoakReport RunSoak(const SoakOptions& options, void (*progress)(const SoakReport&) = nullptr);
