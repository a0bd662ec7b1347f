// vantomir-tool soak: the real main loop for many passes of seeded random
// input, in a fresh temporary directory; checks memory and, when asked, the
// time of every pass.
#include <unistd.h>

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "persist/high_score_table.h"
#include "persist/settings.h"
#include "shell/shell.h"
#include "tools/vantomir_tool/args.h"
#include "tools/vantomir_tool/commands.h"
#include "tools/vantomir_tool/scratch_folder.h"
#include "tools/vantomir_tool/soak.h"

namespace {

namespace fs = std::filesystem;

const char* kHelp =
    "usage: vantomir-tool soak [--passes N] [--seed S] [--warm-up N]\n"
    "                          [--max-rss-growth-kb K] [--max-pass-ms M]\n"
    "                          [--max-pass-cpu-ms M]\n\n"
    "Runs the game's main loop headless for N passes (default 100000) of random\n"
    "input drawn from seed S (default 1): pointer moves, menu clicks, held fire,\n"
    "stick and buttons, keys and typing, pause, Escape, F12, focus changes, pads\n"
    "plugged and unplugged, and long still spells that let the demonstrations\n"
    "play. The same seed gives the same run (see the digest). The game runs in a\n"
    "fresh temporary directory with a fresh settings file; the directory is\n"
    "removed at the end.\n\n"
    "Fails (exit 1) when the resident memory grows by more than K KiB (default\n"
    "1024) after the warm-up, which lasts at least N passes of --warm-up (default\n"
    "10000) and until every kind of input has come; when an entity list is not\n"
    "empty outside a game; or, with --max-pass-ms, when a pass takes\n"
    "longer than M ms on the clock; with --max-pass-cpu-ms, when it takes more\n"
    "than M ms of CPU time (which other processes on a busy machine do not\n"
    "lengthen). The time of a pass is that of the main loop's pass alone.\n";

struct SoakCommandOptions {
  SoakOptions soak;
  int64_t maxRssGrowthKb = 1024;
  double maxPassMs = 0;     // on the clock; 0: not checked
  double maxPassCpuMs = 0;  // CPU time; 0: not checked
};

bool ParseOptions(const Args& args, SoakCommandOptions* o, int* exitCode) {
  OptionReader options("soak", kHelp, args);
  while (options.Next()) {
    const std::string& a = options.Name();
    std::optional<int64_t> n;
    if (a == "--passes") {
      if ((n = options.Number(1, INT64_C(1000000000000)))) o->soak.passes = *n;
    } else if (a == "--seed") {
      if ((n = options.Number(0, INT64_MAX))) o->soak.seed = static_cast<uint64_t>(*n);
    } else if (a == "--warm-up") {
      if ((n = options.Number(1, INT64_C(1000000000000)))) o->soak.warmUp = *n;
    } else if (a == "--max-rss-growth-kb") {
      if ((n = options.Number(0, INT64_C(1000000000)))) o->maxRssGrowthKb = *n;
    } else if (a == "--max-pass-ms" || a == "--max-pass-cpu-ms") {
      if ((n = options.Number(1, 100000))) {
        (a == "--max-pass-ms" ? o->maxPassMs : o->maxPassCpuMs) = static_cast<double>(*n);
      }
    } else {
      options.Unknown();
    }
  }
  return !options.Stopped(exitCode);
}

void Progress(const SoakReport& r) {
  std::fprintf(stderr, "soak: %" PRId64 " passes, resident %" PRId64 " KiB, worst pass %.2f ms\n", r.passes,
               ResidentKb(), r.worstPasses[0].wallMs);
}

}  // namespace

int SoakCommand(const Args& args) {
  SoakCommandOptions o;
  int exitCode = 0;
  if (!ParseOptions(args, &o, &exitCode)) return exitCode;

  const fs::path home = fs::current_path();
  const fs::path dir = MakeScratchFolder("soak");
  if (dir.empty() || chdir(dir.c_str()) != 0) {
    std::fprintf(stderr, "vantomir-tool soak: cannot make a temporary directory\n");
    return 1;
  }
  // A fresh settings file: the defaults, with the default high-score table.
  settings = Settings{};
  highScores = DefaultHighScores();
  if (!SaveSettings()) {
    std::fprintf(stderr, "vantomir-tool soak: cannot write %s in %s\n", kSettingsFile, dir.c_str());
    return 1;
  }
  const SoakReport r = RunSoak(o.soak, Progress);
  std::error_code ignored;
  if (chdir(home.c_str()) != 0) std::fprintf(stderr, "vantomir-tool soak: cannot go back to %s\n", home.c_str());
  fs::remove_all(dir, ignored);

  std::printf("passes: %" PRId64 " (seed %" PRIu64 ")\n", r.passes, o.soak.seed);
  std::printf("screens (passes): title %" PRId64 ", options %" PRId64 ", scores %" PRId64 ", name entry %" PRId64
              ", play %" PRId64 ", all clear %" PRId64 "\n",
              r.screenPasses[1], r.screenPasses[2], r.screenPasses[3], r.screenPasses[4], r.screenPasses[5],
              r.screenPasses[6]);
  std::printf("games: %" PRId64 ", demonstrations: %" PRId64 ", game overs: %" PRId64 ", name entries: %" PRId64
              ", all clear: %" PRId64 "\n",
              r.games, r.demonstrations, r.gameOvers, r.nameEntries, r.allClears);
  std::printf("restarts after EXIT: %" PRId64 ", screenshots: %" PRId64 ", focus losses: %" PRId64 "\n", r.restarts,
              r.screenshots, r.focusLosses);
  std::printf("pass time: p50 %.1f ms, p99 %.1f ms, p99.9 %.1f ms, worst %.2f ms; over 16 ms: %" PRId64
              " (CPU time: worst %.2f ms, over 16 ms: %" PRId64 ")\n",
              r.p50Ms, r.p99Ms, r.p999Ms, r.worstPasses[0].wallMs, r.passesOver16Ms, r.worstPassCpuMs,
              r.passesOver16MsCpu);
  for (const SoakReport::Pass& p : r.worstPasses) {
    if (p.pass < 0) continue;
    std::printf("  pass %" PRId64 ": %.2f ms (CPU %.2f ms), %s -> %s%s\n", p.pass, p.wallMs, p.cpuMs,
                ScreenStateName(static_cast<ScreenState>(p.screen)),
                ScreenStateName(static_cast<ScreenState>(p.nextScreen)), p.builtGraphics ? ", built the graphics" : "");
  }
  const int64_t growth = r.rssMaxAfterWarmUpKb - r.rssAfterWarmUpKb;
  if (r.warmUpEnd >= 0) {
    std::printf("resident memory: %" PRId64 " KiB after the warm-up's %" PRId64
                " passes (every kind of input had come), at most %" PRId64 " KiB after them, %" PRId64
                " KiB at the end (growth %" PRId64 " KiB)\n",
                r.rssAfterWarmUpKb, r.warmUpEnd, r.rssMaxAfterWarmUpKb, r.rssEndKb, growth);
  } else {
    std::printf("resident memory: %" PRId64 " KiB at the end; the run ended within its warm-up\n", r.rssEndKb);
  }
  std::printf("digest: %016" PRIx64 "\n", r.digest);

  bool ok = true;
  if (r.passes < o.soak.passes) {
    std::fprintf(stderr, "vantomir-tool soak: the game failed to start\n");
    ok = false;
  }
  if (r.warmUpEnd >= 0 && growth > o.maxRssGrowthKb) {
    std::fprintf(stderr, "vantomir-tool soak: resident memory grew by %" PRId64 " KiB (limit %" PRId64 ")\n", growth,
                 o.maxRssGrowthKb);
    ok = false;
  }
  if (r.listsNotEmpty != 0) {
    std::fprintf(stderr, "vantomir-tool soak: %" PRId64 " passes outside a game left entities in the lists\n",
                 r.listsNotEmpty);
    ok = false;
  }
  if (o.maxPassMs > 0 && r.worstPasses[0].wallMs > o.maxPassMs) {
    std::fprintf(stderr, "vantomir-tool soak: a pass took %.2f ms (limit %.0f)\n", r.worstPasses[0].wallMs,
                 o.maxPassMs);
    ok = false;
  }
  if (o.maxPassCpuMs > 0 && r.worstPassCpuMs > o.maxPassCpuMs) {
    std::fprintf(stderr, "vantomir-tool soak: a pass took %.2f ms of CPU time (limit %.0f)\n", r.worstPassCpuMs,
                 o.maxPassCpuMs);
    ok = false;
  }
  return ok ? 0 : 1;
}
