#include "shell/command_line.h"

#include <cstring>

#ifndef VANTOMIR_VERSION
#define VANTOMIR_VERSION "0"
#endif

const char* UsageText() {
  return "usage: vantomir [--window] [--dir DIR] [--record FILE | --replay FILE]\n"
         "       vantomir --help | --version\n\n"
         "Vantomir, a horizontally scrolling shoot-'em-up. It starts full screen on the\n"
         "title menu; the mouse steers, the left button fires, Escape goes back.\n\n"
         "  --window         start in a window (Alt+Enter or F11 switch at any time)\n"
         "  --dir DIR        keep vantomir.ini and the screenshots in DIR instead of\n"
         "                   $XDG_DATA_HOME/vantomir (~/.local/share/vantomir)\n"
         "  --record FILE    write every game played to FILE, to be played back later\n"
         "  --replay FILE    play back the games recorded in FILE; Escape stops\n"
         "  --help           print this text and exit\n"
         "  --version        print the version and exit\n";
}

std::string VersionText() { return std::string("vantomir ") + VANTOMIR_VERSION; }

std::optional<CommandLine> ParseCommandLine(int argc, const char* const* argv, std::string* error) {
  CommandLine line;
  for (int i = 0; i < argc; ++i) {
    const std::string a = argv[i];
    // --name=value is the same as --name value.
    std::string name = a, value;
    bool inlineValue = false;
    if (const size_t eq = a.find('='); a.rfind("--", 0) == 0 && eq != std::string::npos) {
      name = a.substr(0, eq);
      value = a.substr(eq + 1);
      inlineValue = true;
    }
    if (name == "--help" || name == "-h" || name == "--version" || name == "--window") {
      if (inlineValue) {
        *error = "option '" + name + "' takes no value";
        return std::nullopt;
      }
      if (name == "--version") {
        line.version = true;
      } else if (name == "--window") {
        line.window = true;
      } else {
        line.help = true;
      }
      continue;
    }
    std::string* target = name == "--dir"      ? &line.dir
                          : name == "--record" ? &line.record
                          : name == "--replay" ? &line.replay
                                               : nullptr;
    if (target == nullptr) {
      *error = a.rfind("-", 0) == 0 ? "unknown option '" + a + "'" : "unexpected argument '" + a + "'";
      return std::nullopt;
    }
    if (!inlineValue) {
      if (i + 1 >= argc) {
        *error = "option '" + name + "' needs a value";
        return std::nullopt;
      }
      value = argv[++i];
    }
    if (value.empty()) {
      *error = "option '" + name + "' needs a value";
      return std::nullopt;
    }
    *target = value;
  }
  if (!line.record.empty() && !line.replay.empty()) {
    *error = "--record and --replay cannot be used together";
    return std::nullopt;
  }
  return line;
}
