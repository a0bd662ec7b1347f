// Recordings of the player's games: the text format read back as written,
// damaged files refused with the line and the reason, and a game played
// with mouse, keyboard and pad replayed to the same state frame by frame.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <vector>

#include "input/input.h"
#include "persist/recording.h"
#include "persist/settings.h"
#include "tests/headless_game.h"
#include "world/world.h"

namespace {

namespace headless = platform::headless;

TEST(RecordingFormat, ReadsBackWhatItWrites) {
  Recording r;
  RecordedGame a;
  a.seed = -17;
  a.frames = {{160, -35, 0, 0, 0}, {1125, 854, 1, 1125, 1}, {0, 0, 0, 0, 0}};
  a.ended = true;
  a.endScore = 1234;
  a.endLives = -1;
  a.endLevel = 2;
  RecordedGame b;  // cut short: no end line
  b.seed = 4711;
  b.level = 7;
  b.score = 90;
  b.lives = 5;
  b.mouseSens = 10;
  b.joystick = 1;
  b.frames = {{-3, 4, 1, -9, 1}};
  r.games = {a, b};
  const std::string text = EncodeRecording(r);
  std::string error;
  const std::optional<Recording> back = DecodeRecording(text, &error);
  ASSERT_TRUE(back) << error;
  ASSERT_EQ(back->games.size(), 2u);
  EXPECT_EQ(back->games[0].frames, a.frames);
  EXPECT_EQ(back->games[0].seed, -17);
  EXPECT_TRUE(back->games[0].ended);
  EXPECT_EQ(back->games[0].endLives, -1);
  EXPECT_EQ(back->games[1].frames, b.frames);
  EXPECT_FALSE(back->games[1].ended);
  EXPECT_EQ(EncodeRecording(*back), text);

  // Comments, blank lines and carriage returns are allowed.
  EXPECT_TRUE(DecodeRecording("# made by hand\r\nvantomir-recording 1\r\n\r\ngame seed 1 level 1 score 0 "
                              "lives 3 mousesens 3 joystick 0\r\n5 6 1\r\n",
                              &error))
      << error;
}

TEST(RecordingFormat, DamagedFilesSayWhereAndWhy) {
  const std::string head = "vantomir-recording 1\n";
  const std::string game = "game seed 1 level 1 score 0 lives 3 mousesens 3 joystick 0\n";
  const struct {
    std::string text, expected;
  } cases[] = {
      {"", "empty"},
      {"PK\x03\x04 zip", "line 1: not a Vantomir recording"},
      {"vantomir-recording 2\n", "line 1: a recording of another version"},
      {head, "holds no game"},
      {head + "1 2 0\n", "line 2: '1' outside a game"},
      {head + "game seed 1 level 0 score 0 lives 3 mousesens 3 joystick 0\n", "line 2: level must be"},
      {head + "game seed 1\n", "line 2: expected 6 named values"},
      {head + game + "1 2\n", "line 3: a frame is"},
      {head + game + "1 2 3\n", "line 3: a frame is"},
      {head + game + "99999 2 0\n", "line 3: a frame is"},
      {head + game + "1 2 0 4 5\n", "line 3: a frame is"},
      {head + game + "1 2 0\nend score 5 lives 1 level 1 frames 2\n", "line 4: the game has 1 frames"},
      {head + game + "end score 5 lives 1 level 1 frames 0\n1 2 0\n", "line 4: '1' outside a game"},
  };
  for (const auto& c : cases) {
    std::string error;
    EXPECT_FALSE(DecodeRecording(c.text, &error)) << c.text;
    EXPECT_NE(error.find(c.expected), std::string::npos) << "'" << error << "' for: " << c.text;
  }
  std::string error;
  EXPECT_FALSE(ReadRecordingFile("/", &error));
  EXPECT_NE(error.find("folder"), std::string::npos) << error;
  EXPECT_FALSE(ReadRecordingFile("/nonexistent/recording", &error));
}

class RecordAndReplay : public HeadlessGame {
 protected:
  // One frame's picture of the game: where the ship is and the lists' hash.
  static std::vector<int64_t> State() {
    return {world.game.score, world.game.playerX, world.game.playerY, world.game.facing,
            static_cast<int64_t>(HashEntityLists(world))};
  }
};

TEST_F(RecordAndReplay, AGamePlayedWithEveryDeviceReplaysFrameByFrame) {
  const std::string path = (dir_ / "game.vrec").string();
  std::string error;
  ASSERT_TRUE(StartRecording(path, &error)) << error;
  headless::PlacePointer(320, 230);  // on START
  ASSERT_TRUE(Passes(20));
  Click();
  ASSERT_TRUE(Passes(1));
  ASSERT_EQ(shell.screenState, ScreenState::Play);

  // Mouse, then keys, then a pad, firing all along.
  std::vector<std::vector<int64_t>> live;
  auto play = [&](int frames) {
    for (int i = 0; i < frames; ++i) {
      ASSERT_TRUE(Passes(1));
      live.push_back(State());
    }
  };
  headless::SetMouseButton(platform::MouseButton::Left, true);
  headless::PlacePointer(600, 200);
  play(300);
  headless::SetKey(platform::Key::Left, true);
  headless::SetKey(platform::Key::Up, true);
  play(120);
  headless::SetKey(platform::Key::Left, false);
  headless::SetKey(platform::Key::Up, false);
  settings.joystick = 1;
  headless::SetStick(60000, 40000);
  headless::SetJoystickButton(0, true);
  play(200);
  const int32_t score = world.game.score;
  headless::SetKey(platform::Key::Escape, true);
  ASSERT_TRUE(Passes(1));
  ASSERT_EQ(shell.screenState, ScreenState::Title);
  StopRecording();

  std::optional<Recording> recording = ReadRecordingFile(path, &error);
  ASSERT_TRUE(recording) << error;
  ASSERT_EQ(recording->games.size(), 1u);
  const RecordedGame& game = recording->games[0];
  EXPECT_EQ(game.frames.size(), live.size());
  ASSERT_TRUE(game.ended);
  EXPECT_EQ(game.endScore, score);

  // Played back with every device left alone.
  headless::SetKey(platform::Key::Escape, false);
  headless::SetMouseButton(platform::MouseButton::Left, false);
  headless::SetJoystickButton(0, false);
  headless::SetStick(32767, 32767);
  settings.joystick = 0;
  ASSERT_TRUE(Passes(2));
  StartReplay(std::move(*recording), ReplayEnd::EndGame, false);
  std::vector<std::vector<int64_t>> replayed;
  while (shell.screenState == ScreenState::Play && replayed.size() < live.size() + 10) {
    ASSERT_TRUE(Passes(1));
    if (shell.screenState == ScreenState::Play) replayed.push_back(State());
  }
  EXPECT_EQ(shell.screenState, ScreenState::Title);  // the replay ends where the player stopped
  EXPECT_FALSE(Replaying());
  ASSERT_EQ(replayed.size() + 1, live.size());  // the last frame ends the game
  for (size_t f = 0; f < replayed.size(); ++f) ASSERT_EQ(replayed[f], live[f]) << "frame " << f + 1;
}

TEST_F(RecordAndReplay, AnUnwritableRecordingIsRefused) {
  std::string error;
  EXPECT_FALSE(StartRecording((dir_ / "missing" / "game.vrec").string(), &error));
  EXPECT_NE(error.find("cannot write the recording"), std::string::npos) << error;
}

}  // namespace
