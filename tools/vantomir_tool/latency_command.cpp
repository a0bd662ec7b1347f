// vantomir-tool latency: how fast the game answers, in its real window. The
// run is the companion's (window_companion.h, tools/pace/window_latency.cpp);
// this command checks the arguments and hands over.
#include <string>

#include "tools/vantomir_tool/args.h"
#include "tools/vantomir_tool/commands.h"
#include "tools/vantomir_tool/window_companion.h"

namespace {

constexpr const char* kHelp =
    "usage: vantomir-tool latency [--inputs N] [--sounds N]\n\n"
    "Opens the game's real window (a display is needed) on its options screen,\n"
    "with the default settings in a scratch folder, and measures how fast it\n"
    "answers through the real main loop:\n\n"
    "  input: N mouse moves (default 200, 1..100000) fed into SDL's event queue\n"
    "  one at a time at random moments of the loop pass; from each move's arrival\n"
    "  (and from the pass taking it in) to the present of the first frame that\n"
    "  shows the pointer moved, and in which pass it was taken in and shown;\n\n"
    "  sound: N requests (default 200, 0 for none) to play the menu click on the\n"
    "  sound device at random moments; from each request to the start of the\n"
    "  piece of output that carries its first sample, and to that sample leaving\n"
    "  SDL's output: the piece ahead of it has played by then (what a sound\n"
    "  server or the hardware holds beyond what SDL asked for is not counted).\n"
    "  The figures are for the audio driver SDL chose, named in the report\n"
    "  (SDL_AUDIODRIVER chooses another); with no audio output the sound is not\n"
    "  measured.\n\n"
    "Each figure is given as its median, 95th percentile and worst. This runs\n"
    "vantomir-pace-window --latency from vantomir-tool's directory.\n";

}  // namespace

int LatencyCommand(const Args& args) {
  int64_t inputs = 200, sounds = 200;
  OptionReader options("latency", kHelp, args);
  while (options.Next()) {
    if (options.Name() == "--inputs") {
      if (auto n = options.Number(1, 100000)) inputs = *n;
    } else if (options.Name() == "--sounds") {
      if (auto n = options.Number(0, 100000)) sounds = *n;
    } else {
      options.Unknown();
    }
  }
  int exitCode = 0;
  if (options.Stopped(&exitCode)) return exitCode;
  return RunWindowCompanion("latency",
                            {"--latency", "--inputs", std::to_string(inputs), "--sounds", std::to_string(sounds)});
}
