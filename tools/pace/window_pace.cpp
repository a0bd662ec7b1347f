// vantomir-pace-window --demo D --seconds S: the game's own loop in its real
// window, replaying demonstration D again and again, timed pass by pass.
// vantomir-tool pace --demo runs this program (see pace_command.cpp there).
//
// It links the SDL platform, like the game: every pass is a real RunPass, so
// the pacer's wait, the present, the events, the game step and the frame
// composition are all in the figures. A pass is timed from the end of one
// RunPass to the end of the next.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "render/display.h"
#include "shell/shell.h"
#include "tools/pace/pace_stats.h"

namespace {

// Strict whole number in [min, max], or -1.
int ParseArgument(const char* text, int min, int max) {
  char* end = nullptr;
  const long value = std::strtol(text, &end, 10);
  if (*text == '\0' || *end != '\0' || value < min || value > max) return -1;
  return int(value);
}

int Usage() {
  std::fprintf(stderr, "usage: vantomir-pace-window --demo 0..2 --seconds 1..3600\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  int demo = -1, seconds = -1;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--demo") == 0) {
      demo = ParseArgument(argv[i + 1], 0, 2);
    } else if (std::strcmp(argv[i], "--seconds") == 0) {
      seconds = ParseArgument(argv[i + 1], 1, 3600);
    } else {
      return Usage();
    }
  }
  if (argc % 2 == 0 || demo < 0 || seconds < 0) return Usage();
  if (std::getenv("DISPLAY") == nullptr && std::getenv("WAYLAND_DISPLAY") == nullptr) {
    std::fprintf(stderr, "vantomir-tool pace: no display to open the window on (DISPLAY is not set)\n");
    return 1;
  }

  const StartUpResult started = StartUp();
  if (started != StartUpResult::Ready) {
    ShutDown(started);
    std::fprintf(stderr, "vantomir-tool pace: the game could not open its window\n");
    return 1;
  }
  // One title pass builds the graphics, as at a real start.
  bool running = RunPass();
  PaceRecorder recorder;
  recorder.Start();
  int demonstrations = 0;
  int64_t backgroundPasses = 0;
  while (running && recorder.Elapsed() < seconds) {
    // A demonstration that ended (its 1200 frames, or a touch of the mouse)
    // is started again straight away.
    if (shell.screenState != ScreenState::Play) {
      shell.demoIndex = demo;
      StartGame(true);
      ++demonstrations;
    }
    running = RunPass();
    recorder.Pass();
    backgroundPasses += !IsDisplayActive();
  }
  const PaceSummary summary = recorder.Summary();
  ShutDown(started);

  std::printf("demonstration %d, started %d times\n", demo, demonstrations);
  PrintPaceSummary(summary, stdout);
  if (backgroundPasses > 0) {
    std::printf("note: %lld passes ran without the input focus (the loop idles then)\n",
                static_cast<long long>(backgroundPasses));
  }
  if (!running) {
    std::fprintf(stderr, "vantomir-tool pace: the window was closed before the end\n");
    return 1;
  }
  return 0;
}
