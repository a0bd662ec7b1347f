// A test fixture: the whole program started on the headless platform in a
// fresh temporary folder (where it keeps vantomir.ini), driven pass by pass.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "audio/music.h"
#include "persist/settings.h"
#include "platform/headless.h"
#include "render/display.h"
#include "recording/replay.h"
#include "shell/shell.h"

class HeadlessGame : public ::testing::Test {
 protected:
  void SetUp() override {
    original_ = std::filesystem::current_path();
    dir_ = std::filesystem::temp_directory_path() /
           ("vantomir-test-" + std::to_string(getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
    std::filesystem::current_path(dir_);
    platform::headless::Reset();
    ResetDisplayServices();
    SetMusicDriver(MusicDriver::Caller);
    ASSERT_EQ(StartUp(), StartUpResult::Ready);
  }

  void TearDown() override {
    StopReplay();
    ShutDown(StartUpResult::Ready);
    ResetMusic();
    std::filesystem::current_path(original_);
    std::filesystem::remove_all(dir_);
  }

  // Runs n passes of the main loop; false if the loop ended during them.
  bool Passes(int n) {
    for (int i = 0; i < n; ++i) {
      if (!RunPass()) return false;
    }
    return true;
  }

  // A press and release of the left button, seen by the next pass.
  static void Click() {
    platform::headless::SetMouseButton(platform::MouseButton::Left, true);
    platform::headless::SetMouseButton(platform::MouseButton::Left, false);
  }

  // A press and release of the key, seen by the next pass.
  static void Tap(platform::Key key) {
    platform::headless::SetKey(key, true);
    platform::headless::SetKey(key, false);
  }

  // The plainest picture, for tests that play thousands of frames and look
  // at the game, not at its display effects.
  static void PlainestPicture() {
    settings.trails = 0;
    settings.smoothing = 0;
    settings.scanlines = 0;
    scanlineAlpha = 0;
  }

  std::filesystem::path original_, dir_;
};
