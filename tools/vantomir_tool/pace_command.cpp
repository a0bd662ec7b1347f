// vantomir-tool pace: measures the frame pacer.
//
//   pace --seconds S            the pacer alone, on the real clock
//   pace --demo D --seconds S   the game in its real window, replaying
//                               demonstration D over and over
//
// vantomir-tool links the headless platform, which has no window: this
// command checks the arguments of the window run and hands over to the
// companion program (window_companion.h), which prints the same report as the
// pacer run.
#include <cstdio>
#include <optional>
#include <string>

#include "platform/pacer.h"
#include "tools/pace/pace_stats.h"
#include "tools/vantomir_tool/args.h"
#include "tools/vantomir_tool/commands.h"
#include "tools/vantomir_tool/window_companion.h"

namespace {

void PrintHelp() {
  std::printf(
      "usage: vantomir-tool pace [--seconds S] [--demo D]\n\n"
      "Runs the frame pacer for S seconds (default 5, at most 3600) and prints the\n"
      "passes per second it held, the jitter (standard deviation) of the pass\n"
      "intervals, the shortest and longest interval, the passes that came more than\n"
      "20 ms and 25 ms after the one before, and the process's CPU time per second.\n\n"
      "--demo D (0..2) measures the game itself instead: it opens the real window\n"
      "(a display is needed) and replays demonstration D, starting it again each\n"
      "time it ends, through the real main loop, so every pass also composes and\n"
      "presents a frame, with the default settings in a scratch folder. This runs\n"
      "%s from vantomir-tool's directory.\n",
      kWindowProgram);
}

int RunPacerAlone(int seconds) {
  platform::FramePacer pacer;
  PaceRecorder recorder;
  pacer.Wait();
  recorder.Start();
  while (recorder.Elapsed() < seconds) {
    pacer.Wait();
    recorder.Pass();
  }
  PrintPaceSummary(recorder.Summary(), stdout);
  return 0;
}

}  // namespace

int PaceCommand(const Args& args) {
  int seconds = 5;
  std::optional<int> demo;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--help" || args[i] == "-h") {
      PrintHelp();
      return 0;
    }
    if (args[i] == "--seconds" && i + 1 < args.size()) {
      auto value = ParseInteger(args[++i], 1, 3600);
      if (!value) return UsageError("pace", "--seconds takes a whole number 1..3600");
      seconds = static_cast<int>(*value);
    } else if (args[i] == "--demo" && i + 1 < args.size()) {
      auto value = ParseInteger(args[++i], 0, 2);
      if (!value) return UsageError("pace", "--demo takes a demonstration number 0..2");
      demo = static_cast<int>(*value);
    } else {
      return UsageError("pace", "unexpected argument '" + args[i] + "'");
    }
  }
  if (!demo) return RunPacerAlone(seconds);
  return RunWindowCompanion("pace", {"--demo", std::to_string(*demo), "--seconds", std::to_string(seconds)});
}
