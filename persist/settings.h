// The player's settings, kept in vantomir.ini between runs.
#pragma once

#include <cstdint>
#include <string>

#include "persist/preferences.h"

struct Settings {
  int32_t smoothing = 1;    // 1: filtered scaling of the playfield
  int32_t scanlines = 20;   // scanline darkness in percent, 0..100
  int32_t stretch = 1;      // 1: the playfield fills the screen
  int32_t trails = 1;       // 1: the three previous frames show as trails
  int32_t sixtyHzMode = 0;  // 1: ask for a 60 Hz display ("60hzmode")
  int32_t mouseSens = 3;    // mouse sensitivity, 0..10
  int32_t volume = 50;      // sound volume in percent
  int32_t music = 1;        // 1: music plays in games
  int32_t joystick = 0;     // 1: joystick 0 steers the pointer and fires

  bool operator==(const Settings&) const = default;
};

extern Settings settings;

// scanlines x 255 / 100: the darkening of the even screen rows.
extern int32_t scanlineAlpha;

constexpr const char* kSettingsFile = "vantomir.ini";

// Fills the settings and the high-score table from the file; never fails.
// A file that exists but cannot be read gives the defaults, and problem (when
// given) says why.
void LoadSettings(const std::string& path = kSettingsFile, std::string* problem = nullptr);

// The whole file as it would be written now (records coded with fresh keys).
PreferencesWriter SettingsFile();

// Writes the settings and the table; false (old file untouched) on failure,
// which error (when given) describes.
bool SaveSettings(const std::string& path = kSettingsFile, std::string* error = nullptr);
