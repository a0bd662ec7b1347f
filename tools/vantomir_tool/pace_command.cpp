// vantomir-tool pace: measures the frame pacer.
//
//   pace --seconds S            the pacer alone, on the real clock
//   pace --demo D --seconds S   the game in its real window, replaying
//                               demonstration D over and over
//
// vantomir-tool links the headless platform, which has no window. The window
// run is done by vantomir-pace-window, a companion program built beside
// vantomir-tool from the same game library and the SDL platform: this command
// checks the arguments and hands over to it (exec), and it prints the same
// report as the pacer run.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

#include "platform/pacer.h"
#include "tools/pace/pace_stats.h"
#include "tools/vantomir_tool/args.h"
#include "tools/vantomir_tool/commands.h"

namespace {

constexpr const char* kWindowProgram = "vantomir-pace-window";

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

int RunInWindow(int demo, int seconds) {
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) {
    std::fprintf(stderr, "vantomir-tool pace: cannot find my own directory: %s\n",
                 error.message().c_str());
    return 1;
  }
  const std::string program = (self.parent_path() / kWindowProgram).string();
  const std::string demoText = std::to_string(demo), secondsText = std::to_string(seconds);
  std::fflush(stdout);
  execl(program.c_str(), program.c_str(), "--demo", demoText.c_str(), "--seconds",
        secondsText.c_str(), static_cast<char*>(nullptr));
  std::fprintf(stderr, "vantomir-tool pace: cannot run %s: %s\n", program.c_str(),
               std::strerror(errno));
  return 1;
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
  return demo ? RunInWindow(*demo, seconds) : RunPacerAlone(seconds);
}
