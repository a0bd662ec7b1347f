// Recordings of the player's games: the format read back as written, plain
// or compressed, old recordings read as before, a stream cut short read to
// its last whole line, damaged files refused with the line and the reason,
// and a game played with mouse, keyboard and pad replayed to the same state
// frame by frame.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "input/input.h"
#include "recording/format.h"
#include "recording/recorder.h"
#include "persist/files.h"
#include "persist/settings.h"
#include "tests/headless_game.h"
#include "world/world.h"

namespace {

namespace headless = platform::headless;

RecordedGame TwoKindsOfFrames() {
  RecordedGame a;
  a.seed = -17;
  a.frames = {{160, -35, 0, 0, 0}, {1125, 854, 1, 1125, 1}, {1125, 854, 1, 1125, 1}, {0, 0, 0, 0, 0}};
  a.ended = true;
  a.endScore = 1234;
  a.endLives = -1;
  a.endLevel = 2;
  return a;
}

TEST(RecordingFormat, ReadsBackWhatItWritesPlainOrCompressed) {
  Recording r;
  r.entry = TableEntry{"A C!    ", 1234};
  RecordedGame b;  // cut short: no end line
  b.seed = 4711;
  b.level = 7;
  b.score = 90;
  b.lives = 5;
  b.mouseSens = 10;
  b.joystick = 1;
  b.frames = {{-3, 4, 1, -9, 1}};
  r.games = {TwoKindsOfFrames(), b};
  const std::string text = EncodeRecording(r);
  // Repeated frames are one line with their count; the name is one word.
  EXPECT_NE(text.find("\n1125 854 1 1125 x2\n"), std::string::npos) << text;
  EXPECT_NE(text.find("table name A~C!~~~~ score 1234\n"), std::string::npos) << text;
  std::string error;
  const std::optional<Recording> back = DecodeRecording(text, &error);
  ASSERT_TRUE(back) << error;
  EXPECT_EQ(*back, r);
  EXPECT_EQ(EncodeRecording(*back), text);
  const std::optional<Recording> stored = DecodeStoredRecording(Gzip(text), &error);
  ASSERT_TRUE(stored) << error;
  EXPECT_EQ(*stored, r);

  // Recordings of the earlier version read as they always did; comments,
  // blank lines and carriage returns are allowed.
  const std::optional<Recording> old =
      DecodeRecording("# made by hand\r\nvantomir-recording 1\r\n\r\ngame seed 1 level 1 score 0 "
                      "lives 3 mousesens 3 joystick 0\r\n5 6 1\r\n5 6 1\r\nend score 0 lives 3 level 1 frames 2\n",
                      &error);
  ASSERT_TRUE(old) << error;
  EXPECT_EQ(old->games[0].frames, (std::vector<PlayInput>{{5, 6, 1, 0, 0}, {5, 6, 1, 0, 0}}));
}

TEST(RecordingFormat, AStreamCutShortKeepsItsWholeLines) {
  const std::string path = (std::filesystem::temp_directory_path() / ("vantomir-stream-" + std::to_string(getpid())))
                               .string();
  RecordingStream stream;
  std::string error;
  ASSERT_TRUE(stream.Open(path, &error)) << error;
  stream.Add(RecordingGameLine(RecordedGame{}));
  stream.Add(RecordingFrameLine({7, 8, 1, 0, 0}, 3));
  stream.Flush();
  stream.Add("9 9 0\n");  // not flushed: the program is killed before it reaches the file
  std::string bytes;
  ASSERT_EQ(ReadRegularFile(path, 1 << 20, &bytes, &error), ReadResult::Read);
  // Cut inside the last flushed block too: the reader stops at its last whole line.
  for (const size_t cut : {bytes.size(), bytes.size() - 3}) {
    const std::optional<Recording> r = DecodeStoredRecording(std::string_view(bytes).substr(0, cut), &error);
    ASSERT_TRUE(r) << error;
    ASSERT_EQ(r->games.size(), 1u);
    EXPECT_FALSE(r->games[0].ended);
    EXPECT_LE(r->games[0].frames.size(), 3u);
    if (cut == bytes.size()) {
      EXPECT_EQ(r->games[0].frames.size(), 3u);
    }
  }
  stream.Close();
  std::optional<Recording> whole = ReadRecordingFile(path, &error);
  ASSERT_TRUE(whole) << error;
  EXPECT_EQ(whole->games[0].frames.size(), 4u);
  std::filesystem::remove(path);
}

TEST(RecordingFormat, DamagedFilesSayWhereAndWhy) {
  const std::string head = "vantomir-recording 2\n";
  const std::string game = "game seed 1 level 1 score 0 lives 3 mousesens 3 joystick 0\n";
  const struct {
    std::string text, expected;
  } cases[] = {
      {"", "empty"},
      {"PK\x03\x04 zip", "line 1: not a Vantomir recording"},
      {"vantomir-recording 3\n", "line 1: a recording of another version"},
      {head, "holds no game"},
      {head + "1 2 0\n", "line 2: '1' outside a game"},
      {head + "game seed 1 level 0 score 0 lives 3 mousesens 3 joystick 0\n", "line 2: level must be"},
      {head + "game seed 1\n", "line 2: expected 6 named values"},
      {head + game + "1 2\n", "line 3: a frame is"},
      {head + game + "1 2 3\n", "line 3: a frame is"},
      {head + game + "99999 2 0\n", "line 3: a frame is"},
      {head + game + "1 2 0 4 5\n", "line 3: a frame is"},
      {head + game + "1 2 0 x1\n", "line 3: a frame's count"},
      {head + game + "1 2 0 x99999999\n", "line 3: a frame's count"},
      {head + game + "1 2 0 x2000000\n1 2 0 x2000000\n", "line 4: more frames than twelve hours"},
      {"vantomir-recording 1\n" + game + "1 2 0 x2\n", "line 3: a frame's count belongs to version 2"},
      {head + game + "1 2 0\nend score 5 lives 1 level 1 frames 2\n", "line 4: the game has 1 frames"},
      {head + game + "end score 5 lives 1 level 1 frames 0\n1 2 0\n", "line 4: '1' outside a game"},
      {head + game + "table name A score 1\n", "line 3: a table line belongs once before"},
      {head + "table name abc score 1\n", "line 2: a table name holds only"},
      {head + "table name ABCDEFGHI score 1\n", "line 2: a table name has at most 8"},
  };
  for (const auto& c : cases) {
    std::string error;
    EXPECT_FALSE(DecodeStoredRecording(c.text, &error)) << c.text;
    EXPECT_NE(error.find(c.expected), std::string::npos) << "'" << error << "' for: " << c.text;
  }
  std::string error;
  EXPECT_FALSE(ReadRecordingFile("/", &error));
  EXPECT_NE(error.find("folder"), std::string::npos) << error;
  EXPECT_FALSE(ReadRecordingFile("/nonexistent/recording", &error));
  // Compressed data that is damaged, rather than cut short, is refused.
  std::string damaged = Gzip(head + game + "1 2 0\n");
  damaged[12] = static_cast<char>(0xFF);
  EXPECT_FALSE(DecodeStoredRecording(damaged, &error));
  EXPECT_NE(error.find("damaged compressed data"), std::string::npos) << error;
  // A small file that unpacks to a flood is refused, not unpacked.
  bool complete = false;
  EXPECT_FALSE(Gunzip(Gzip(std::string(4u << 20, '#')), 1u << 20, &complete, &error));
  EXPECT_NE(error.find("unpacks to more than 1 MB"), std::string::npos) << error;
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
  ASSERT_TRUE(StartRecordingFile(path, &error)) << error;
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
  StartReplay(std::move(*recording), ReplayEnd::EndGame, ReplayExit::Title);
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
  EXPECT_FALSE(StartRecordingFile((dir_ / "missing" / "game.vrec").string(), &error));
  EXPECT_NE(error.find("cannot write the recording"), std::string::npos) << error;
}

}  // namespace
