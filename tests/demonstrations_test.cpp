// The three demonstrations the game carries, played from the title as the idle
// title plays them: each keeps its ship, wins points with a lively, smooth
// hand, keeps its level going and hands back to the title after exactly 1200
// frames. (That generate-demos still writes them byte for byte is checked by
// the generator test of tests/CMakeLists.txt.)
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "input/input.h"
#include "platform/headless.h"
#include "render/display.h"
#include "shell/shell.h"
#include "world/game.h"
#include "world/world.h"

namespace {

namespace fs = std::filesystem;

TEST(Demonstrations, EachShowsAGoodGameAndEndsOnTime) {
  const fs::path original = fs::current_path();
  const fs::path dir = fs::temp_directory_path() / ("vantomir-demos-" + std::to_string(getpid()));
  fs::create_directories(dir);
  fs::current_path(dir);
  platform::headless::Reset();
  ResetDisplayServices();
  ASSERT_EQ(StartUp(), StartUpResult::Ready);

  for (int d : {1, 2, 0}) {
    SCOPED_TRACE("demonstration " + std::to_string(d));
    // The recording: within the stick's reach, moved as a hand moves it, and
    // changed often.
    int changes = 0;
    for (int f = 0; f <= 1200; ++f) {
      const int16_t* in = demoInput[d][f];
      ASSERT_LE(std::abs(in[0]), 1092) << "frame " << f;
      ASSERT_LE(std::abs(in[1]), 819) << "frame " << f;
      ASSERT_TRUE(in[2] == 0 || in[2] == 1) << "frame " << f;
      if (f == 0 || f == 1200) continue;  // entry 1200 is never replayed
      const int16_t* last = demoInput[d][f - 1];
      ASSERT_LE(std::abs(in[0] - last[0]), 96) << "frame " << f;
      ASSERT_LE(std::abs(in[1] - last[1]), 80) << "frame " << f;
      if (in[0] != last[0] || in[1] != last[1] || in[2] != last[2]) ++changes;
    }
    EXPECT_GE(changes, 60);
    EXPECT_EQ(demoInput[d][1200][0] | demoInput[d][1200][1] | demoInput[d][1200][2], 0);

    // The replay, with the pointer left at the centre.
    shell.demoIndex = d;
    StartGame(true);
    input.pointerX = 320;
    input.pointerY = 240;
    const GameState& g = world.game;
    const int32_t startScore = g.score;
    const int32_t startLives = g.lives;
    int frames = 0, hits = 0, lowestLives = startLives, clearTimer = 0;
    while (shell.screenState == ScreenState::Play && frames < 1300) {
      PlayFrame();
      ++frames;
      hits += g.deathTimer == 240 ? 1 : 0;
      lowestLives = std::min(lowestLives, g.lives);
      clearTimer = std::max(clearTimer, g.clearTimer);
    }
    EXPECT_EQ(frames, 1200);
    EXPECT_EQ(shell.screenState, ScreenState::Title);
    EXPECT_EQ(hits, 0);
    EXPECT_EQ(lowestLives, startLives);
    EXPECT_GE(g.score - startScore, 500);
    EXPECT_EQ(clearTimer, 0);
  }

  ShutDown(StartUpResult::Ready);
  fs::current_path(original);
  fs::remove_all(dir);
}

}  // namespace
