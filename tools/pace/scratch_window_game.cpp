#include "tools/pace/scratch_window_game.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <system_error>

#include "render/display.h"
#include "tools/vantomir_tool/scratch_folder.h"

bool ScratchWindowGame::Start() {
  if (std::getenv("DISPLAY") == nullptr && std::getenv("WAYLAND_DISPLAY") == nullptr) {
    std::fprintf(stderr, "%s: no display to open the window on (DISPLAY is not set)\n", command_.c_str());
    return false;
  }
  folder_ = MakeScratchFolder("pace");
  if (folder_.empty()) {
    std::fprintf(stderr, "%s: cannot make a scratch folder: %s\n", command_.c_str(), std::strerror(errno));
    return false;
  }
  if (chdir(folder_.c_str()) != 0) {
    std::fprintf(stderr, "%s: cannot enter %s: %s\n", command_.c_str(), folder_.c_str(), std::strerror(errno));
    Stop();
    return false;
  }
  gameStarted_ = true;
  result_ = StartUp();
  if (result_ != StartUpResult::Ready) {
    std::fprintf(stderr, "%s: the game could not open its window\n", command_.c_str());
    Stop();
    return false;
  }
  return true;
}

void ScratchWindowGame::Stop() {
  if (gameStarted_) {
    ShutDown(result_);
    gameStarted_ = false;
  }
  if (!folder_.empty()) {
    std::error_code error;
    std::filesystem::remove_all(folder_, error);
    folder_.clear();
  }
}

bool ScratchWindowGame::SetUpPass() {
  closed_ = !RunPass();
  return !closed_;
}

bool ScratchWindowGame::Pass() {
  const bool running = SetUpPass();
  backgroundPasses_ += !IsDisplayActive();
  return running;
}

int ScratchWindowGame::Conclude() const {
  if (backgroundPasses_ > 0) {
    std::printf("note: %lld passes ran without the input focus (the loop idles then)\n",
                static_cast<long long>(backgroundPasses_));
  }
  if (!closed_) return 0;
  std::fprintf(stderr, "%s: the window was closed before the end\n", command_.c_str());
  return 1;
}
