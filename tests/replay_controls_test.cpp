// Watching a recording: fast forward, pause, single frames and jumps, driven
// by the keys through the main loop, leave every frame of the game as a plain
// replay has it; a demonstration answers them too and they do not end it;
// the snapshots stay within their budget.
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "levels/random.h"
#include "recording/recorder.h"
#include "recording/replay.h"
#include "recording/snapshots.h"
#include "tests/headless_game.h"
#include "world/world.h"

namespace {

namespace headless = platform::headless;
using platform::Key;

// The game's whole state as one number: the world and the generator.
uint64_t GameFingerprint() {
  uint64_t hash = HashWorld(world);
  for (uint32_t word : rng.table) hash = (hash ^ word) * 0x100000001b3ull;
  return hash ^ static_cast<uint64_t>(rng.leadPair);
}

class ReplayControls : public HeadlessGame {
 protected:
  void SetUp() override {
    HeadlessGame::SetUp();
    PlainestPicture();  // thousands of frames are played here
  }

  // A player's game: half a minute of flying about and firing, then Escape.
  RecordedGame RecordAGame() {
    StartGameWith(11, kPlayerStart);
    headless::SetMouseButton(platform::MouseButton::Left, true);
    for (int i = 0; i < 1800; ++i) {
      if (i % 40 == 0) headless::PlacePointer(320 + (i % 280) - 140, 240 + (i % 200) - 100);
      EXPECT_TRUE(Passes(1));
    }
    headless::SetMouseButton(platform::MouseButton::Left, false);
    Tap(Key::Escape);
    EXPECT_TRUE(Passes(2));
    EXPECT_EQ(shell.screenState, ScreenState::Title);
    return *FinishedGame();
  }

  // Every frame of a plain replay: the state after frame n is plain[n].
  std::map<int64_t, uint64_t> PlainReplay(const RecordedGame& game) {
    std::map<int64_t, uint64_t> plain;
    StartReplay(Recording{.games = {game}}, ReplayEnd::EndGame, ReplayExit::Title);
    while (RecordingPlays()) {
      EXPECT_TRUE(Passes(1));
      if (RecordingPlays()) plain[ReplayPosition()] = GameFingerprint();
    }
    return plain;
  }

  // After each pass: the moment on the screen is the plain replay's.
  void Check(const std::map<int64_t, uint64_t>& plain) {
    if (!RecordingPlays()) return;
    auto it = plain.find(ReplayPosition());
    ASSERT_NE(it, plain.end()) << "position " << ReplayPosition();
    ASSERT_EQ(GameFingerprint(), it->second) << "position " << ReplayPosition();
  }
};

TEST_F(ReplayControls, FastForwardPauseStepsAndJumpsShowThePlainReplaysFrames) {
  const RecordedGame game = RecordAGame();
  const std::map<int64_t, uint64_t> plain = PlainReplay(game);
  const int32_t plainScore = world.game.score;
  ASSERT_EQ(plain.size(), game.frames.size() - 1);  // the last frame ends the game

  StartReplay(Recording{.games = {game}}, ReplayEnd::EndGame, ReplayExit::Title);
  auto tap = [&](Key key, int times = 1) {
    for (int i = 0; i < times; ++i) {
      Tap(key);
      ASSERT_TRUE(Passes(2));
      Check(plain);
    }
  };
  auto run = [&](int passes) {
    for (int i = 0; i < passes && RecordingPlays(); ++i) {
      ASSERT_TRUE(Passes(1));
      Check(plain);
    }
  };
  run(900);
  tap(Key::Up);  // x2
  EXPECT_EQ(ReplaySpeed(), 2);
  int64_t before = ReplayPosition();
  run(100);
  EXPECT_EQ(ReplayPosition(), before + 200);
  tap(Key::Up, 3);  // x4, x8, and it stays at x8
  EXPECT_EQ(ReplaySpeed(), 8);
  run(20);
  before = ReplayPosition();
  tap(Key::Left);  // ten seconds back
  EXPECT_EQ(ReplayPosition(), before - 600 + 16);  // the jump, then two passes at x8
  tap(Key::Down);  // x4
  EXPECT_EQ(ReplaySpeed(), 4);

  // Paused, it stands; "." and "," step one frame, the arrows jump.
  tap(Key::Pause);
  before = ReplayPosition();
  run(10);
  EXPECT_EQ(ReplayPosition(), before);
  tap(Key::StepForward, 3);
  EXPECT_EQ(ReplayPosition(), before + 3);
  tap(Key::StepBack, 2);
  EXPECT_EQ(ReplayPosition(), before + 1);
  tap(Key::Right);
  EXPECT_EQ(ReplayPosition(), before + 601);
  tap(Key::Left, 2);
  EXPECT_EQ(ReplayPosition(), before - 599);
  EXPECT_EQ(shell.paused, 1);
  tap(Key::Pause);
  run(40);

  // A jump past the end stops on the last frame before it; the game then
  // ends where its recording ends.
  tap(Key::Right, 4);
  run(2000);
  EXPECT_FALSE(Replaying());
  EXPECT_EQ(shell.screenState, ScreenState::Title);
  EXPECT_EQ(world.game.score, plainScore);
  EXPECT_EQ(LastReplayOutcome().framesPlayed, game.frames.size());
  // Paused steps that run into the end do no harm either; the pause goes
  // with the game.
  EXPECT_EQ(shell.paused, 0);
}

TEST_F(ReplayControls, TheNextGameOfARecordingIsWatchedFromItsOwnStart) {
  // A first game that ends itself: one life, and the ship flown into the
  // ground. The second game then starts inside a frame of play.
  RecordedGame crash;
  crash.seed = 5;
  crash.lives = 1;
  crash.frames.assign(3000, PlayInput{0, 2048, 0, 0, 0});
  const RecordedGame game = RecordAGame();
  const std::map<int64_t, uint64_t> plain = PlainReplay(game);

  StartReplay(Recording{.games = {crash, game}}, ReplayEnd::EndGame, ReplayExit::Title);
  while (RecordingPlays() && ReplayLength() == static_cast<int64_t>(crash.frames.size())) ASSERT_TRUE(Passes(1));
  ASSERT_TRUE(RecordingPlays());
  ASSERT_LT(LastReplayOutcome().framesPlayed, crash.frames.size());  // its game over ended it
  // Played on, stepped back and jumped back: every moment is the second
  // game's own, as its plain replay has it.
  auto run = [&](int passes) {
    for (int i = 0; i < passes; ++i) {
      ASSERT_TRUE(Passes(1));
      ASSERT_NO_FATAL_FAILURE(Check(plain));
    }
  };
  ASSERT_NO_FATAL_FAILURE(run(400));
  for (Key key : {Key::StepBack, Key::StepBack, Key::Pause, Key::Left}) {
    Tap(key);
    ASSERT_TRUE(Passes(2));
    ASSERT_NO_FATAL_FAILURE(Check(plain));
  }
  EXPECT_LT(ReplayPosition(), 60);
  ASSERT_NO_FATAL_FAILURE(run(400));
}

TEST_F(ReplayControls, ADemonstrationAnswersTheControlsAndGoesOn) {
  // The first demonstration, as the idle title starts it.
  auto startDemo = [this] {
    shell.demoIndex = 0;
    shell.screenTimer = 900;
    headless::PlacePointer(320, 240);
    ASSERT_TRUE(Passes(2));
    ASSERT_EQ(shell.demoMode, 1);
  };
  ASSERT_NO_FATAL_FAILURE(startDemo());  // the plain demonstration first
  std::map<int64_t, uint64_t> plain;
  while (RecordingPlays()) {
    plain[ReplayPosition()] = GameFingerprint();
    ASSERT_TRUE(Passes(1));
  }
  ASSERT_EQ(plain.rbegin()->first, 1199);

  // The same one again, watched with the controls: none of them ends it.
  ASSERT_NO_FATAL_FAILURE(startDemo());
  for (Key key : {Key::Up, Key::Up, Key::Right, Key::Left, Key::Down, Key::StepForward, Key::StepBack, Key::Pause}) {
    Tap(key);
    ASSERT_TRUE(Passes(2));
    ASSERT_TRUE(RecordingPlays()) << static_cast<int>(key);
    ASSERT_EQ(GameFingerprint(), plain.at(ReplayPosition()));
  }
  ASSERT_EQ(shell.paused, 0);  // the steps paused it, the pause key let it go on
  while (RecordingPlays()) {
    ASSERT_EQ(GameFingerprint(), plain.at(ReplayPosition()));
    ASSERT_TRUE(Passes(1));
  }
  EXPECT_EQ(shell.screenState, ScreenState::Title);
}

TEST(Snapshots, StayWithinTheirBudgetAndFindTheLastBeforeAFrame) {
  world = World{};
  for (int i = 0; i < 50; ++i) world.Debris.Add().x = i;  // some storage to count
  const size_t one = CaptureGame(0).Bytes();
  SnapshotStore store(one * 10, 60);
  for (int64_t f = 0; f <= 6000; ++f) {
    if (store.Due(f)) store.Keep(CaptureGame(f));
  }
  EXPECT_LE(store.Bytes(), one * 10);
  EXPECT_GE(store.Count(), 5u);
  EXPECT_EQ(store.Spacing(), 960);  // doubled until the snapshots fit
  ASSERT_NE(store.Before(5000), nullptr);
  EXPECT_EQ(store.Before(5000)->frame, 4800);
  EXPECT_EQ(store.Before(959)->frame, 0);
  EXPECT_EQ(store.Before(-1), nullptr);
  EXPECT_FALSE(store.Due(4800));  // taken already
  EXPECT_TRUE(store.Due(6720));
  world = World{};
}

}  // namespace
