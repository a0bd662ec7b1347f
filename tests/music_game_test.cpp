// The tune in a game started from the title: it plays with music on and a
// volume above 0, stops within a frame of the title, and follows the volume.
#include <gtest/gtest.h>

#include <cmath>

#include "audio/music.h"
#include "persist/settings.h"
#include "platform/headless.h"
#include "shell/shell.h"
#include "tests/headless_game.h"

namespace {

namespace headless = platform::headless;

class GameMusic : public HeadlessGame {
 protected:
  // Clicks START on the title with the given settings.
  void StartGameWith(int music, int volume) {
    settings.music = music;
    settings.volume = volume;
    headless::PlacePointer(320, 230);
    Play(1);
    Click();
    Play(1);
    ASSERT_EQ(shell.screenState, ScreenState::Play);
  }

  // Runs n passes, rendering the tune after each (no music thread runs here).
  void Play(int n) {
    for (int i = 0; i < n; ++i) {
      ASSERT_TRUE(RunPass());
      ServiceSong();
    }
  }

  // Root-mean-square level of the sound output of the next n passes.
  double LevelOfNextPasses(int n) {
    headless::StartAudioCapture();
    Play(n);
    std::vector<int16_t> audio = headless::TakeCapturedAudio();
    double sum = 0;
    for (int16_t s : audio) sum += static_cast<double>(s) * s;
    return audio.empty() ? 0 : std::sqrt(sum / static_cast<double>(audio.size()));
  }
};

TEST_F(GameMusic, PlaysInAGameAndStopsOnTheTitle) {
  StartGameWith(1, 50);
  EXPECT_TRUE(IsSongPlaying());
  Play(60);  // past the opening bars, which start quietly
  EXPECT_GT(LevelOfNextPasses(120), 300.0);
  EXPECT_EQ(SongVolumeDivisor(), 80 - 32);  // volume 50: Int(50 x 0.64) = 32

  headless::SetKey(platform::Key::Escape, true);
  Play(1);
  EXPECT_EQ(shell.screenState, ScreenState::Title);
  EXPECT_FALSE(IsSongPlaying());
}

TEST_F(GameMusic, VolumeZeroOrMusicOffStartsNone) {
  StartGameWith(1, 0);
  EXPECT_FALSE(IsSongPlaying());
  ShutDown(StartUpResult::Ready);
  headless::Reset();
  ASSERT_EQ(StartUp(), StartUpResult::Ready);
  StartGameWith(0, 50);
  EXPECT_FALSE(IsSongPlaying());
}

TEST_F(GameMusic, VolumeTenPlaysWithDivisor74) {
  StartGameWith(1, 10);
  EXPECT_TRUE(IsSongPlaying());
  EXPECT_EQ(SongVolumeDivisor(), 74);
}

}  // namespace
