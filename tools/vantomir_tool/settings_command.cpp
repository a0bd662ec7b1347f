// vantomir-tool settings FILE: what a settings file gives the game, as JSON.
#include <cstdio>
#include <filesystem>
#include <string>

#include "levels/random.h"
#include "persist/high_score_table.h"
#include "persist/settings.h"
#include "tools/vantomir_tool/args.h"
#include "tools/vantomir_tool/commands.h"

namespace {

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    unsigned char u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (u < 0x20 || u >= 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", u);
      out += escaped;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

}  // namespace

int SettingsCommand(const Args& args) {
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    std::printf(
        "usage: vantomir-tool settings FILE\n\n"
        "Reads FILE as the game reads vantomir.ini at start-up and prints the nine\n"
        "settings and the decoded high-score table as one JSON object. A missing or\n"
        "damaged file gives what the game would use: the defaults.\n");
    return 0;
  }
  if (args.size() != 1) return UsageError("settings", "expected one FILE");
  if (std::filesystem::is_directory(args[0])) return UsageError("settings", "'" + args[0] + "' is a directory");
  RandomSeed(1);
  CodeDefaultRecords();
  settings = Settings{};
  highScores = HighScoreTable{};
  LoadSettings(args[0]);
  const Settings& s = settings;
  std::printf(
      "{\"smoothing\":%d,\"scanlines\":%d,\"stretch\":%d,\"trails\":%d,\"60hzmode\":%d,"
      "\"mousesens\":%d,\"volume\":%d,\"music\":%d,\"joystick\":%d,\"scores\":[",
      s.smoothing, s.scanlines, s.stretch, s.trails, s.sixtyHzMode, s.mouseSens, s.volume, s.music,
      s.joystick);
  for (int i = 1; i <= 8; ++i) {
    std::printf("%s{\"name\":%s,\"score\":%d}", i > 1 ? "," : "", JsonString(highScores.hsNames[i]).c_str(),
                highScores.hsScores[i]);
  }
  std::printf("]}\n");
  return 0;
}
