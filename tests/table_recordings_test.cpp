// The high-score table keeps the games that made it: a game that enters the
// table leaves its recording in the data folder, with the name typed for it;
// SCORES plays it back to the same score and returns; verification passes on
// it and fails on a tampered copy; an entry pushed out loses its file; and
// damaged, foreign or stray files are reported and skipped without touching
// the table.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "input/input.h"
#include "persist/high_score_table.h"
#include "persist/settings.h"
#include "recording/recorder.h"
#include "recording/replay.h"
#include "recording/table.h"
#include "recording/verify.h"
#include "shell/high_scores.h"
#include "tests/headless_game.h"
#include "world/world.h"

namespace {

namespace fs = std::filesystem;
namespace headless = platform::headless;

class TableRecordings : public HeadlessGame {
 protected:
  std::vector<fs::path> Files() const {
    std::vector<fs::path> files;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(dir_ / kRecordingsFolder, ec)) files.push_back(e.path());
    std::sort(files.begin(), files.end());
    return files;
  }

  // A player's game with no spare life, the ship still at the centre and
  // firing, played through the main loop until it is over.
  void PlayAShortGame(int32_t seed) {
    PlainestPicture();
    headless::PlacePointer(320, 240);
    ASSERT_TRUE(Passes(1));
    StartGameWith(seed, GameStart{1, 0, 0});
    headless::SetMouseButton(platform::MouseButton::Left, true);
    for (int i = 0; i < 20000 && shell.screenState == ScreenState::Play; ++i) ASSERT_TRUE(Passes(1));
    headless::SetMouseButton(platform::MouseButton::Left, false);
    ASSERT_NE(shell.screenState, ScreenState::Play);
  }

  // Types a name and Return on the name entry.
  void EnterName(const std::string& name) {
    ASSERT_EQ(shell.screenState, ScreenState::NameEntry);
    ASSERT_TRUE(Passes(1));  // Return still held from the game acts only when pressed again
    headless::TypeText(name);
    Tap(platform::Key::Return);
    ASSERT_TRUE(Passes(2));
    ASSERT_EQ(shell.screenState, ScreenState::Title);
  }

  // The pointer over row place of the table (playfield y 56 + 12 x place).
  static void PointAtRow(int32_t place) { headless::PlacePointer(100 * 640 / 256, (56 + 12 * place + 3) * 480 / 224); }

  static void Restart() {
    ShutDown(StartUpResult::Ready);
    platform::headless::Reset();
    ASSERT_EQ(StartUp(), StartUpResult::Ready);
    PlainestPicture();
  }
};

TEST_F(TableRecordings, AGameThatEntersTheTableKeepsItsRecordingAndScoresPlaysItBack) {
  PlayAShortGame(7);
  const int32_t score = world.game.score;
  ASSERT_GT(score, 5);  // enough for the table of a new player
  const int32_t place = nameEntry.entryPlace;
  ASSERT_EQ(highScores.hsScores[place], score);

  // The file is there the moment the game entered the table ...
  std::vector<fs::path> files = Files();
  ASSERT_EQ(files.size(), 1u);
  std::string error;
  std::optional<Recording> kept = ReadRecordingFile(files[0].string(), &error);
  ASSERT_TRUE(kept) << error;
  EXPECT_EQ(kept->entry, (TableEntry{"        ", score}));
  // ... and takes the name once it is entered.
  EnterName("ace");
  kept = ReadRecordingFile(files[0].string(), &error);
  ASSERT_TRUE(kept) << error;
  EXPECT_EQ(kept->entry, (TableEntry{"ACE     ", score}));
  ASSERT_EQ(kept->games.size(), 1u);
  EXPECT_EQ(kept->games[0], *FinishedGame());
  const Verdict verdict = VerifyRecordedGame(kept->games[0]);
  EXPECT_TRUE(verdict.ok) << verdict.why;

  // Another run finds it; SCORES marks the row and plays it on a click.
  Restart();
  ASSERT_NE(TableRecordingOf(place), nullptr);
  EXPECT_EQ(TableRecordingOf(place + 1), nullptr);
  shell.screenState = ScreenState::Scores;
  PointAtRow(place);
  ASSERT_TRUE(Passes(2));
  Click();
  ASSERT_TRUE(Passes(1));
  ASSERT_TRUE(Replaying());
  ASSERT_EQ(shell.screenState, ScreenState::Play);
  // Watched at eight times the speed: up three times.
  for (int i = 0; i < 3; ++i) {
    Tap(platform::Key::Up);
    ASSERT_TRUE(Passes(2));
  }
  EXPECT_EQ(ReplaySpeed(), 8);
  int64_t passes = 0;
  while (shell.screenState == ScreenState::Play && passes < 30000) {
    ASSERT_TRUE(Passes(1));
    ++passes;
  }
  EXPECT_EQ(shell.screenState, ScreenState::Scores);
  EXPECT_FALSE(Replaying());
  EXPECT_EQ(world.game.score, score);
  EXPECT_EQ(LastReplayOutcome().framesPlayed, kept->games[0].frames.size());
  EXPECT_LT(passes, static_cast<int64_t>(kept->games[0].frames.size()) / 7);
  EXPECT_EQ(highScores.hsScores[place], score);  // a replay never enters the table
  EXPECT_EQ(Files().size(), 1u);

  // The keys choose it too: down to it, Return watches; Escape comes back.
  ASSERT_TRUE(Passes(1));
  Tap(platform::Key::Down);
  ASSERT_TRUE(Passes(1));
  EXPECT_EQ(scoresScreen.choice, place);
  Tap(platform::Key::Return);
  ASSERT_TRUE(Passes(2));
  ASSERT_TRUE(Replaying());
  Tap(platform::Key::Escape);
  ASSERT_TRUE(Passes(1));
  EXPECT_EQ(shell.screenState, ScreenState::Scores);
  EXPECT_FALSE(Replaying());

  // A tampered copy fails: one frame changed, or the end line.
  RecordedGame changed = kept->games[0];
  changed.frames[changed.frames.size() / 2].fireHeld ^= 1;
  changed.frames[changed.frames.size() / 2].inputVX += 700;
  EXPECT_FALSE(VerifyRecordedGame(changed).ok);
  changed = kept->games[0];
  changed.endScore += 1;
  EXPECT_FALSE(VerifyRecordedGame(changed).ok);
}

TEST_F(TableRecordings, PushedOutEntriesLoseTheirFilesAndStrayFilesAreSkipped) {
  // Eight games, each better than the last, then a ninth that beats them all:
  // every entry has its own file, and the one pushed out loses its file.
  auto enter = [](int32_t score) {
    RecordedGame game;
    game.seed = score;
    game.frames.assign(static_cast<size_t>(score), PlayInput{score, 0, 1, 0, 0});
    game.ended = true;
    game.endScore = score;
    const int32_t place = InsertHighScore(score);
    KeepTableRecording(place, &game);
    highScores.hsNames[place] = "P" + std::to_string(score) + "      ";
    highScores.hsNames[place].resize(8);
    SaveTableRecordings();
    return place;
  };
  for (int32_t score = 1000; score <= 8000; score += 1000) EXPECT_EQ(enter(score), 1);
  ASSERT_EQ(Files().size(), 8u);
  std::string lowestFile;
  for (const fs::path& f : Files()) {
    std::string error;
    if (ReadRecordingFile(f.string(), &error)->entry->score == 1000) lowestFile = f.string();
  }
  ASSERT_FALSE(lowestFile.empty());
  EXPECT_EQ(enter(9000), 1);
  EXPECT_EQ(Files().size(), 8u);
  EXPECT_FALSE(fs::exists(lowestFile));
  for (int place = 1; place <= 8; ++place) {
    ASSERT_NE(TableRecordingOf(place), nullptr);
    EXPECT_EQ(TableRecordingOf(place)->endScore, highScores.hsScores[place]);
  }

  // Strays, put there while the game is not running: a damaged file, a
  // recording of no entry, one that names an entry but ends with another
  // score, and a file that is not a recording.
  Recording foreign;
  foreign.games.push_back(*TableRecordingOf(3));
  const HighScoreTable table = highScores;
  ShutDown(StartUpResult::Ready);
  std::ofstream(dir_ / kRecordingsFolder / "game-damaged.vrec") << "vantomir-recording 2\nnonsense\n";
  std::string error;
  ASSERT_TRUE(WriteRecordingFile((dir_ / kRecordingsFolder / "mine.vrec").string(), foreign, &error));
  foreign.entry = TableEntry{table.hsNames[2], table.hsScores[2]};
  foreign.games[0].endScore = 1;
  ASSERT_TRUE(WriteRecordingFile((dir_ / kRecordingsFolder / "liar.vrec").string(), foreign, &error));
  std::ofstream(dir_ / kRecordingsFolder / "notes.txt") << "mine";
  platform::headless::Reset();
  ::testing::internal::CaptureStderr();
  ASSERT_EQ(StartUp(), StartUpResult::Ready);
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find("recordings/game-damaged.vrec: line 2:"), std::string::npos) << said;
  EXPECT_NE(said.find("recordings/mine.vrec: names no entry"), std::string::npos) << said;
  EXPECT_NE(said.find("recordings/liar.vrec: ends with another score"), std::string::npos) << said;
  EXPECT_EQ(highScores, table);
  for (int place = 1; place <= 8; ++place) EXPECT_NE(TableRecordingOf(place), nullptr) << place;
  // The next save keeps the entries' files and the player's own file only.
  Restart();
  EXPECT_EQ(Files().size(), 9u);
  EXPECT_TRUE(fs::exists(dir_ / kRecordingsFolder / "notes.txt"));
}

TEST_F(TableRecordings, ATableWithoutRecordingsWorksAsBefore) {
  // A settings file of an earlier version, with a table and no recordings.
  ShutDown(StartUpResult::Ready);
  highScores = DefaultHighScores();
  highScores.hsNames[1] = "OLD     ";
  highScores.hsScores[1] = 5000;
  ASSERT_TRUE(SaveSettings());
  platform::headless::Reset();
  ASSERT_EQ(StartUp(), StartUpResult::Ready);
  EXPECT_EQ(highScores.hsNames[1], "OLD     ");
  for (int place = 1; place <= 8; ++place) EXPECT_EQ(TableRecordingOf(place), nullptr);
  shell.screenState = ScreenState::Scores;
  PointAtRow(1);
  ASSERT_TRUE(Passes(2));
  Click();
  ASSERT_TRUE(Passes(2));
  EXPECT_EQ(shell.screenState, ScreenState::Scores);  // nothing to watch
  EXPECT_FALSE(Replaying());
  EXPECT_FALSE(fs::exists(dir_ / kRecordingsFolder));
}

}  // namespace
