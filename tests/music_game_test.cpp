// The tune in a game started from the title: it plays with music on and a
// volume above 0, stops within a frame of the title, and follows the volume.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>

#include "audio/music.h"
#include "persist/settings.h"
#include "platform/headless.h"
#include "render/display.h"
#include "shell/shell.h"

namespace {

namespace fs = std::filesystem;
namespace headless = platform::headless;

class GameMusic : public ::testing::Test {
 protected:
  void SetUp() override {
    original_ = fs::current_path();
    dir_ = fs::temp_directory_path() / ("vantomir-music-" + std::to_string(getpid()));
    fs::create_directories(dir_);
    fs::current_path(dir_);
    headless::Reset();
    ResetDisplayServices();
    SetMusicDriver(MusicDriver::Caller);
  }
  void TearDown() override {
    ShutDown(StartUpResult::Ready);
    ResetMusic();
    fs::current_path(original_);
    fs::remove_all(dir_);
  }

  // Starts the program with the given settings and clicks START.
  void StartGameWith(int music, int volume) {
    ASSERT_EQ(StartUp(), StartUpResult::Ready);
    settings.music = music;
    settings.volume = volume;
    headless::PlacePointer(320, 230);
    Passes(1);
    headless::SetMouseButton(platform::MouseButton::Left, true);
    headless::SetMouseButton(platform::MouseButton::Left, false);
    Passes(1);
    ASSERT_EQ(shell.screenState, ScreenState::Play);
  }

  void Passes(int n) {
    for (int i = 0; i < n; ++i) {
      ASSERT_TRUE(RunPass());
      ServiceSong();
    }
  }

  // Root-mean-square level of the sound output of the next n passes.
  double LevelOfNextPasses(int n) {
    headless::StartAudioCapture();
    Passes(n);
    std::vector<int16_t> audio = headless::TakeCapturedAudio();
    double sum = 0;
    for (int16_t s : audio) sum += static_cast<double>(s) * s;
    return audio.empty() ? 0 : std::sqrt(sum / static_cast<double>(audio.size()));
  }

  fs::path original_, dir_;
};

TEST_F(GameMusic, PlaysInAGameAndStopsOnTheTitle) {
  StartGameWith(1, 50);
  EXPECT_TRUE(IsSongPlaying());
  Passes(60);  // past the opening bars, which start quietly
  EXPECT_GT(LevelOfNextPasses(120), 300.0);
  EXPECT_EQ(SongVolumeDivisor(), 80 - 32);  // volume 50: Int(50 x 0.64) = 32

  headless::SetKey(platform::Key::Escape, true);
  Passes(1);
  EXPECT_EQ(shell.screenState, ScreenState::Title);
  EXPECT_FALSE(IsSongPlaying());
}

TEST_F(GameMusic, VolumeZeroOrMusicOffStartsNone) {
  StartGameWith(1, 0);
  EXPECT_FALSE(IsSongPlaying());
  ShutDown(StartUpResult::Ready);
  headless::Reset();
  StartGameWith(0, 50);
  EXPECT_FALSE(IsSongPlaying());
}

TEST_F(GameMusic, VolumeTenPlaysWithDivisor74) {
  StartGameWith(1, 10);
  EXPECT_TRUE(IsSongPlaying());
  EXPECT_EQ(SongVolumeDivisor(), 74);
}

}  // namespace
