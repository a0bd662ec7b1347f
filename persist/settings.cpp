//-----------------------------------------------------------------------------
// vantomir.ini: the nine settings and the coded high-score table.
//
// Read once at start-up, written once when the player leaves through the
// title. A value outside its range gives that setting's default; one damaged
// score record gives the whole default table.
//-----------------------------------------------------------------------------
#include "persist/settings.h"

#include "persist/high_score_table.h"
#include "persist/preferences.h"

namespace {

struct SettingField {
  const char* key;
  int32_t Settings::*field;
  int32_t min, max;
};

// In the order the file is read (music before joystick)...
const SettingField kReadOrder[] = {
    {"smoothing", &Settings::smoothing, 0, 1},  {"scanlines", &Settings::scanlines, 0, 100},
    {"stretch", &Settings::stretch, 0, 1},      {"trails", &Settings::trails, 0, 1},
    {"60hzmode", &Settings::sixtyHzMode, 0, 1}, {"mousesens", &Settings::mouseSens, 0, 10},
    {"volume", &Settings::volume, 0, 100},      {"music", &Settings::music, 0, 1},
    {"joystick", &Settings::joystick, 0, 1},
};

// ... and in the order it is written (joystick before music).
const char* const kWriteOrder[] = {"smoothing", "scanlines", "stretch",  "trails", "60hzmode",
                                   "mousesens", "volume",    "joystick", "music"};

std::string ScoreKey(int i) { return "score0" + std::to_string(i); }

}  // namespace

void LoadSettings(const std::string& path, std::string* problem) {
  PreferencesReader file = PreferencesReader::FromFile(path, problem);
  const Settings defaults;
  for (const SettingField& f : kReadOrder) {
    int32_t value = file.ReadInteger(f.key, defaults.*f.field);
    settings.*f.field = (value < f.min || value > f.max) ? defaults.*f.field : value;
  }
  bool damaged = false;
  for (int i = 1; i <= 8; ++i) {
    std::string plain = DecodeScoreRecord(file.ReadString(ScoreKey(i), defaultRecords[i]));
    if (plain == "%err%") {
      damaged = true;
    } else {
      SetEntryFromRecord(highScores, i, plain, true);
    }
  }
  if (damaged) {
    for (int i = 1; i <= 8; ++i) SetEntryFromRecord(highScores, i, DecodeScoreRecord(defaultRecords[i]), false);
  }
}

PreferencesWriter SettingsFile() {
  PreferencesWriter file;
  for (const char* key : kWriteOrder) {
    for (const SettingField& f : kReadOrder) {
      if (std::string_view(f.key) == key) file.WriteInteger(key, settings.*f.field);
    }
  }
  for (int i = 1; i <= 8; ++i) {
    std::string plain = PlainScoreRecord(highScores.hsNames[i], highScores.hsScores[i]);
    file.WriteString(ScoreKey(i), EncodeScoreRecord(plain));
  }
  return file;
}

bool SaveSettings(const std::string& path, std::string* error) { return SettingsFile().Save(path, error); }
