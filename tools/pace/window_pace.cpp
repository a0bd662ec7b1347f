// vantomir-pace-window --demo D --seconds S: the game's own loop in its real
// window, replaying demonstration D again and again, timed pass by pass.
// vantomir-tool pace --demo runs this program (see pace_command.cpp there);
// vantomir-tool latency runs its --latency mode (window_latency.cpp).
//
// It links the SDL platform, like the game: every pass is a real RunPass, so
// the pacer's wait, the present, the events, the game step and the frame
// composition are all in the figures. A pass is timed from the end of one
// RunPass to the end of the next, which is from one present to the next: a
// pass presents its frame as it ends. The game runs in a scratch folder, so
// it plays with the default settings and leaves no files behind.
#include <cstdio>
#include <cstring>

#include "shell/shell.h"
#include "tools/pace/pace_stats.h"
#include "tools/pace/scratch_window_game.h"
#include "tools/pace/window_latency.h"
#include "tools/vantomir_tool/args.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: vantomir-pace-window --demo 0..2 --seconds 1..3600\n"
               "       vantomir-pace-window --latency --inputs 1..100000 --sounds 0..100000\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "--latency") == 0) {
    int inputs = -1, sounds = -1;
    for (int i = 2; i + 1 < argc; i += 2) {
      if (std::strcmp(argv[i], "--inputs") == 0) {
        inputs = ParseInteger(argv[i + 1], 1, 100000).value_or(-1);
      } else if (std::strcmp(argv[i], "--sounds") == 0) {
        sounds = ParseInteger(argv[i + 1], 0, 100000).value_or(-1);
      } else {
        return Usage();
      }
    }
    if (argc % 2 != 0 || inputs < 0 || sounds < 0) return Usage();
    return MeasureLatency(inputs, sounds);
  }

  int demo = -1, seconds = -1;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--demo") == 0) {
      demo = ParseInteger(argv[i + 1], 0, 2).value_or(-1);
    } else if (std::strcmp(argv[i], "--seconds") == 0) {
      seconds = ParseInteger(argv[i + 1], 1, 3600).value_or(-1);
    } else {
      return Usage();
    }
  }
  if (argc % 2 == 0 || demo < 0 || seconds < 0) return Usage();
  ScratchWindowGame game("vantomir-tool pace");
  if (!game.Start()) return 1;
  // One title pass builds the graphics, as at a real start.
  bool running = game.SetUpPass();
  PaceRecorder recorder;
  recorder.Start();
  int demonstrations = 0;
  while (running && recorder.Elapsed() < seconds) {
    // A demonstration that ended (its 1200 frames, or a touch of the mouse)
    // is started again straight away.
    if (shell.screenState != ScreenState::Play) {
      shell.demoIndex = demo;
      StartGame(true);
      ++demonstrations;
    }
    running = game.Pass();
    recorder.Pass();
  }
  const PaceSummary summary = recorder.Summary();
  game.Stop();

  std::printf("demonstration %d, started %d times\n", demo, demonstrations);
  PrintPaceSummary(summary, stdout);
  return game.Conclude();
}
