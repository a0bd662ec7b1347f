// The soak run of vantomir-tool: the random input gets the player through the
// menus into a game, and different seeds make different runs.
#include "tools/vantomir_tool/soak.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "shell/shell.h"

namespace {

namespace fs = std::filesystem;

// Each run in a fresh directory, as the tool does it.
SoakReport SoakIn(const fs::path& dir, int64_t passes, uint64_t seed) {
  fs::remove_all(dir);
  fs::create_directories(dir);
  const fs::path original = fs::current_path();
  fs::current_path(dir);
  const SoakReport report = RunSoak(SoakOptions{passes, seed, passes / 2});
  fs::current_path(original);
  fs::remove_all(dir);
  return report;
}

size_t Screen(ScreenState s) { return static_cast<size_t>(s); }

// The first 1000 passes of seed 13 visit the options and play a game (another
// seed may be needed when the table of actions changes).
TEST(Soak, ASeedGivesOneRunThroughTheMenusIntoAGame) {
  const fs::path dir = fs::temp_directory_path() / ("vantomir-soak-test-" + std::to_string(getpid()));
  // (That one seed gives one run, digest for digest, is checked across two
  // processes by the golden test soak_repeats.)
  const SoakReport first = SoakIn(dir, 1000, 13);
  EXPECT_EQ(first.passes, 1000);
  EXPECT_GT(first.screenPasses[Screen(ScreenState::Options)], 0);
  EXPECT_GT(first.screenPasses[Screen(ScreenState::Play)], 0);
  EXPECT_GE(first.games, 1);
  EXPECT_EQ(first.listsNotEmpty, 0);
  EXPECT_GT(first.rssEndKb, 0);
  EXPECT_GE(first.rssMaxAfterWarmUpKb, first.rssAfterWarmUpKb);

  EXPECT_NE(SoakIn(dir, 300, 5).digest, SoakIn(dir, 300, 6).digest);
}

}  // namespace
