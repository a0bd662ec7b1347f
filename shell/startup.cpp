//-----------------------------------------------------------------------------
// Start-up and shutdown.
//
// Start-up creates everything the run needs, reads the settings, opens the
// screen and the sound output and hands over to the main loop. Shutdown is its
// mirror; the settings are written only when the loop ended through the title.
//-----------------------------------------------------------------------------
#include "audio/music.h"
#include "audio/sound.h"
#include "input/game_input.h"
#include "input/input.h"
#include "levels/level_progression.h"
#include "levels/random.h"
#include "persist/high_score_table.h"
#include "persist/screenshot.h"
#include "persist/settings.h"
#include "platform/message_box.h"
#include "platform/pacer.h"
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
// stopping at the first that fails.
bool StartDevices() {
  return StartDisplayService() && Start3DService() && InitSound();
}

// The music player goes first, then every other service.
void StopServices() {
  StopSong();
  ReleaseSounds();
  platform::StopSoundDevice();
  StopDisplayService();
}

}  // namespace

StartUpResult StartUp() {
  // Every variable of the game starts from its initial value.
  shell = Shell{};
  input = InputState{};
  gameInput = GameInput{};
  world = World{};
  settings = Settings{};
  rng = Rng{};
  rng.fallbackSeed = platform::TickCount();
  nameEntry = NameEntryState{};
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

  LoadSettings();
  scanlineAlpha = settings.scanlines * 255 / 100;

  if (!StartDevices()) {
    platform::ShowMessageBox(kTitle, "Error: can't start DirectX 7 or later.");
    return StartUpResult::Failed;
  }
  if (!OpenGameScreen()) return StartUpResult::Failed;
  BuildMouseResponseTables();
  platform::SleepMs(kStartPauseMs);
  MoveCursor(480, 360);
  LoadSounds();
  ApplyVolume();
  shell.musicStream = CreateMusicStream();
  return StartUpResult::Ready;
}

void ShutDown(StartUpResult started) {
  if (started == StartUpResult::Ready) {
    // Only leaving through the title saves; a closed window ends the program
    // as if the process had been ended.
    if (shell.screenState == ScreenState::Exit && !shell.quit) SaveSettings();
    FreeAllSprites();
  }
  StopServices();
}
