// vantomir: the game. It needs no arguments; see --help and README.md.
#include <cstdio>
#include <string>

#include "shell/command_line.h"
#include "shell/shell.h"

int main(int argc, char** argv) {
  std::string error;
  const std::optional<CommandLine> line = ParseCommandLine(argc - 1, argv + 1, &error);
  if (!line) {
    std::fprintf(stderr, "vantomir: %s\n\n%s", error.c_str(), UsageText());
    return 2;
  }
  if (line->help) {
    std::fputs(UsageText(), stdout);
    return 0;
  }
  if (line->version) {
    std::printf("%s\n", VersionText().c_str());
    return 0;
  }
  return RunGame(*line);
}
