// vantomir-pace-window --demo D --seconds S: the game's own loop in its real
// window, replaying demonstration D again and again, timed pass by pass.
// vantomir-tool pace --demo runs this program (see pace_command.cpp there).
//
// It links the SDL platform, like the game: every pass is a real RunPass, so
// the pacer's wait, the present, the events, the game step and the frame
// composition are all in the figures. A pass is timed from the end of one
// RunPass to the end of the next. The game runs in a scratch folder, so it
// plays with the default settings and leaves no files behind.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "render/display.h"
#include "shell/shell.h"
#include "tools/pace/pace_stats.h"

namespace {

// Strict whole number in [min, max], or -1.
int ParseArgument(const char* text, int min, int max) {
  char* end = nullptr;
  const long value = std::strtol(text, &end, 10);
  if (*text == '\0' || *end != '\0' || value < min || value > max) return -1;
  return int(value);
}

// Makes a fresh folder and moves into it; false when none can be made.
bool EnterScratchFolder(std::filesystem::path* folder) {
  std::error_code error;
  std::string pattern = (std::filesystem::temp_directory_path(error) / "vantomir-pace-XXXXXX").string();
  if (error || mkdtemp(pattern.data()) == nullptr || chdir(pattern.c_str()) != 0) return false;
  *folder = pattern;
  return true;
}

int Usage() {
  std::fprintf(stderr, "usage: vantomir-pace-window --demo 0..2 --seconds 1..3600\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  int demo = -1, seconds = -1;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--demo") == 0) {
      demo = ParseArgument(argv[i + 1], 0, 2);
    } else if (std::strcmp(argv[i], "--seconds") == 0) {
      seconds = ParseArgument(argv[i + 1], 1, 3600);
    } else {
      return Usage();
    }
  }
  if (argc % 2 == 0 || demo < 0 || seconds < 0) return Usage();
  if (std::getenv("DISPLAY") == nullptr && std::getenv("WAYLAND_DISPLAY") == nullptr) {
    std::fprintf(stderr, "vantomir-tool pace: no display to open the window on (DISPLAY is not set)\n");
    return 1;
  }

  std::filesystem::path scratch;
  if (!EnterScratchFolder(&scratch)) {
    std::fprintf(stderr, "vantomir-tool pace: cannot make a scratch folder: %s\n", std::strerror(errno));
    return 1;
  }
  struct RemoveScratch {
    const std::filesystem::path& folder;
    ~RemoveScratch() {
      std::error_code error;
      std::filesystem::remove_all(folder, error);
    }
  } removeScratch{scratch};

  const StartUpResult started = StartUp();
  if (started != StartUpResult::Ready) {
    ShutDown(started);
    std::fprintf(stderr, "vantomir-tool pace: the game could not open its window\n");
    return 1;
  }
  // One title pass builds the graphics, as at a real start.
  bool running = RunPass();
  PaceRecorder recorder;
  recorder.Start();
  int demonstrations = 0;
  int64_t backgroundPasses = 0;
  while (running && recorder.Elapsed() < seconds) {
    // A demonstration that ended (its 1200 frames, or a touch of the mouse)
    // is started again straight away.
    if (shell.screenState != ScreenState::Play) {
      shell.demoIndex = demo;
      StartGame(true);
      ++demonstrations;
    }
    running = RunPass();
    recorder.Pass();
    backgroundPasses += !IsDisplayActive();
  }
  const PaceSummary summary = recorder.Summary();
  ShutDown(started);

  std::printf("demonstration %d, started %d times\n", demo, demonstrations);
  PrintPaceSummary(summary, stdout);
  if (backgroundPasses > 0) {
    std::printf("note: %lld passes ran without the input focus (the loop idles then)\n",
                static_cast<long long>(backgroundPasses));
  }
  if (!running) {
    std::fprintf(stderr, "vantomir-tool pace: the window was closed before the end\n");
    return 1;
  }
  return 0;
}
