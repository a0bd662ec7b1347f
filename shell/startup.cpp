//-----------------------------------------------------------------------------
// Start-up and shutdown.
//
// Start-up creates everything the run needs, reads the settings, opens the
// screen and the sound output and hands over to the main loop. Shutdown is its
// mirror; the settings are written unless the loop ended in a failure.
//-----------------------------------------------------------------------------
#include <cstdio>
#include <string>
#include <vector>

#include "assets/embedded.h"
#include "audio/music.h"
#include "audio/sound.h"
#include "input/game_input.h"
#include "input/input.h"
#include "levels/level_progression.h"
#include "levels/random.h"
#include "persist/bmp.h"
#include "persist/high_score_table.h"
#include "persist/screenshot.h"
#include "persist/settings.h"
#include "platform/display.h"
#include "platform/message_box.h"
#include "platform/pacer.h"
#include "recording/recorder.h"
#include "recording/table.h"
#include "render/compose.h"
#include "render/display.h"
#include "render/graphics.h"
#include "render/plasma.h"
#include "shell/high_scores.h"
#include "shell/shell.h"
#include "world/game.h"
#include "world/tables.h"
#include "world/world.h"

Settings settings;
int32_t scanlineAlpha = 0;

namespace {

constexpr const char* kTitle = "Vantomir";
constexpr int kStartPauseMs = 500;

// Brings up the display, 3-D, keyboard and sound services in this order,
// stopping at the first that fails; the message says which and why.
bool StartDevices(std::string* message) {
  if (!StartDisplayService()) {
    *message = std::string("Error: can't start the display: ") + platform::LastVideoError();
    return false;
  }
  if (!Start3DService() || !InitSound()) {
    *message = "Error: can't start the sound service.";
    return false;
  }
  return true;
}

// The window shows the game's icon (assets/window_icon.bmp, 32-bit BMP with alpha).
void SetGameIcon() {
  const EmbeddedFile* file = FindEmbeddedFile("window_icon.bmp");
  if (file == nullptr) return;
  std::vector<uint32_t> pixels;
  int width = 0, height = 0;
  if (DecodeBmp32(file->data, file->size, &pixels, &width, &height)) {
    platform::SetWindowIcon(pixels.data(), width, height);
  }
}

// The music player goes first, then every other service.
void StopServices() {
  StopSong();
  ReleaseSounds();
  platform::StopSoundDevice();
  StopDisplayService();
}

}  // namespace

StartUpResult StartUp(bool windowed) {
  // Every variable of the game starts from its initial value.
  shell = Shell{};
  input = InputState{};
  gameInput = GameInput{};
  world = World{};
  settings = Settings{};
  rng = Rng{};
  rng.fallbackSeed = platform::TickCount();
  nameEntry = NameEntryState{};
  scoresScreen = ScoresScreenState{};
  plasma = PlasmaPhases{};
  snapCounter = 0;
  TrailIndex = 0;

  BuildMouseResponseTables();
  CodeDefaultRecords();
  BuildStartUpTables();
  LoadLevelTables();
  BuildWaveTables();
  InitGlowBuffer();
  LoadDemoInput();
  highScores = HighScoreTable{};

  std::string problem;
  LoadSettings(kSettingsFile, &problem);
  if (!problem.empty()) std::fprintf(stderr, "vantomir: %s; using the default settings\n", problem.c_str());
  LoadTableRecordings();
  scanlineAlpha = settings.scanlines * 255 / 100;

  std::string message;
  if (!StartDevices(&message)) {
    platform::ShowMessageBox(kTitle, message.c_str());
    return StartUpResult::Failed;
  }
  platform::SetWindowed(windowed);
  SetGameIcon();
  if (!OpenGameScreen()) return StartUpResult::Failed;
  BuildMouseResponseTables();
  platform::SleepMs(kStartPauseMs);
  MoveCursor(480, 360);
  LoadSounds();
  ApplyVolume();
  shell.musicStream = CreateMusicStream();
  return StartUpResult::Ready;
}

void ShutDown(StartUpResult started, bool keepFiles) {
  StopRecording();
  if (started == StartUpResult::Ready) {
    // However the player left (the title, the window's close button, a
    // signal from the desktop), the settings and scores are kept; only a
    // failure of the screen ends the game without saving.
    std::string error;
    const bool save = keepFiles && !shell.failed;
    if (save) SaveTableRecordings();
    if (save && !SaveSettings(kSettingsFile, &error)) {
      std::fprintf(stderr, "vantomir: settings and scores not saved: %s\n", error.c_str());
    }
    FreeAllSprites();
  }
  StopServices();
}
