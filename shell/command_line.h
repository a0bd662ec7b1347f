// The game's command line. The game needs none: every option is for the
// player who wants a window, another folder, or a recording.
#pragma once

#include <optional>
#include <string>

struct CommandLine {
  bool help = false;     // --help: print the usage and exit
  bool version = false;  // --version: print the version and exit
  bool window = false;   // --window: start in a window rather than full screen
  std::string dir;       // --dir DIR: the folder of vantomir.ini and the screenshots
  std::string record;    // --record FILE: write every game played to FILE
  std::string replay;    // --replay FILE: play the games recorded in FILE
};

// Parses the arguments after the program name. A bad command line gives
// nothing and says why in error.
std::optional<CommandLine> ParseCommandLine(int argc, const char* const* argv, std::string* error);

// The usage text printed by --help (and after a bad command line).
const char* UsageText();

// "vantomir 0.1"
std::string VersionText();
