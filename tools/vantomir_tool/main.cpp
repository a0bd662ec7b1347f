// vantomir-tool: developer and test commands over the game library, on the
// headless platform.
#include <cstdio>
#include <cstring>
#include <string>

#include "tools/vantomir_tool/commands.h"

namespace {

struct Command {
  const char* name;
  int (*run)(const Args&);
  const char* summary;
};

const Command kCommands[] = {
    {"run", RunCommand, "run the game headless for a number of loop passes"},
    {"play", PlayCommand, "play one game or demonstration headless, printing its state per frame"},
    {"random", RandomCommand, "print numbers of the game's random generator"},
    {"pace", PaceCommand, "measure the frame pacer"},
    {"latency", LatencyCommand, "measure how fast the game in its window answers input and plays sound"},
    {"level", LevelCommand, "print a level's landscape, enemies and settings as JSON"},
    {"settings", SettingsCommand, "print what a settings file gives the game, as JSON"},
    {"sounds", SoundsCommand, "write every loaded sound slot as a WAV file"},
    {"render-xm", RenderXmCommand, "render an XM module (or the game's tune) to a WAV file"},
    {"soak", SoakCommand, "run the game for many passes of random input, checking memory and pass times"},
    {"verify", VerifyCommand, "replay recordings headless and check that each ends as it claims"},
};

void PrintUsage(std::FILE* out) {
  std::fprintf(out, "usage: vantomir-tool COMMAND [ARGS...]\n\ncommands:\n");
  for (const Command& c : kCommands) std::fprintf(out, "  %-10s %s\n", c.name, c.summary);
  std::fprintf(out, "\nvantomir-tool COMMAND --help tells more.\n");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    PrintUsage(stderr);
    return 2;
  }
  std::string name = argv[1];
  if (name == "--help" || name == "-h" || name == "help") {
    PrintUsage(stdout);
    return 0;
  }
  for (const Command& c : kCommands) {
    if (name == c.name) return c.run(Args(argv + 2, argv + argc));
  }
  std::fprintf(stderr, "vantomir-tool: unknown command '%s'\n", name.c_str());
  PrintUsage(stderr);
  return 2;
}
