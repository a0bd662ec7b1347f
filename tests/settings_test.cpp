// The settings file: the preferences reader and writer, the coded score
// records, and loading and saving vantomir.ini.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "levels/random.h"
#include "persist/high_score_table.h"
#include "persist/preferences.h"
#include "persist/settings.h"

namespace {

namespace fs = std::filesystem;

TEST(Preferences, ReadsLinesKeysAndValuesLeniently) {
  PreferencesReader file(
      "\xEF\xBB\xBF"
      "  ; a comment = 5\r\n\r\n\n"
      "VOLUME=70\r"
      "scanlines   =   25  \n"
      "\tname =  two words  \r\n"
      "bare line\r\n"
      "volume = 10\r\n"  // only the first entry of a key counts
      "[group]\r\n"
      "music = 0\r\n");
  EXPECT_EQ(file.ReadInteger("volume", 50), 70);
  EXPECT_EQ(file.ReadInteger("Scanlines", 20), 25);
  EXPECT_EQ(file.ReadString("name", ""), "two words");
  EXPECT_EQ(file.ReadString("bare line", "x"), "");
  EXPECT_EQ(file.ReadInteger("music", 1), 1);  // after a group header: not found
  EXPECT_EQ(file.ReadInteger("; a comment", 3), 3);
}

TEST(Preferences, IntegersReadAsAtoiDoes) {
  EXPECT_EQ(ReadLeadingInteger("  -42abc"), -42);
  EXPECT_EQ(ReadLeadingInteger("+7"), 7);
  EXPECT_EQ(ReadLeadingInteger("abc"), 0);
  EXPECT_EQ(ReadLeadingInteger(""), 0);
  EXPECT_EQ(ReadLeadingInteger("99999999999999"), INT32_MAX);
  EXPECT_EQ(ReadLeadingInteger("-99999999999999"), INT32_MIN);
}

TEST(Preferences, Utf8WithByteOrderMarkBecomesEightBitText) {
  PreferencesReader file("\xEF\xBB\xBFname = caf\xC3\xA9 \xE2\x82\xAC\r\n");
  EXPECT_EQ(file.ReadString("name", ""), "caf\xE9 ?");
}

TEST(Preferences, WriterMakesCrLfLinesInCallOrder) {
  PreferencesWriter file;
  file.WriteInteger("b", -3);
  file.WriteString("a", "x y");
  EXPECT_EQ(file.Text(), "b = -3\r\na = x y\r\n");
}

TEST(ScoreRecords, RoundTripForEveryKey) {
  const std::string plain = "ACE-99 Z0012345";
  for (int32_t key = 1; key <= 999; ++key) {
    std::string coded = EncodeScoreRecordWithKey(plain, key);
    ASSERT_EQ(coded.size(), 51u);
    ASSERT_EQ(DecodeScoreRecord(coded), plain) << "key " << key;
  }
  RandomSeed(5);
  EXPECT_NE(EncodeScoreRecord(plain), EncodeScoreRecord(plain));  // fresh keys
}

TEST(ScoreRecords, DamageIsDetected) {
  const std::string coded = EncodeScoreRecordWithKey("KRV     0000640", 321);
  for (size_t i = 0; i + 3 < coded.size(); ++i) {
    std::string changed = coded;
    changed[i] = changed[i] == '9' ? '8' : static_cast<char>(changed[i] + 1);
    EXPECT_EQ(DecodeScoreRecord(changed), "%err%") << "digit " << i;
  }
  // A changed key only changes the characters.
  std::string otherKey = coded;
  otherKey[49] = otherKey[49] == '9' ? '8' : static_cast<char>(otherKey[49] + 1);
  std::string decoded = DecodeScoreRecord(otherKey);
  EXPECT_NE(decoded, "%err%");
  EXPECT_NE(decoded, "KRV     0000640");
  EXPECT_EQ(decoded.size(), 15u);

  EXPECT_EQ(DecodeScoreRecord(coded.substr(1)), "%err%");  // length not a multiple of 3
  EXPECT_EQ(DecodeScoreRecord(coded.substr(0, 47) + coded.substr(48)), "%err%");
  EXPECT_EQ(DecodeScoreRecord(""), "");
  EXPECT_EQ(DecodeScoreRecord("123"), "");
  EXPECT_EQ(DecodeScoreRecord("000123"), "");   // no characters, checksum 0
  EXPECT_EQ(DecodeScoreRecord("001123"), "%err%");
}

TEST(ScoreRecords, PlainRecordKeepsTheFirstSevenDigits) {
  EXPECT_EQ(PlainScoreRecord("KRV     ", 640), "KRV     0000640");
  EXPECT_EQ(PlainScoreRecord("AB      ", 12345678), "AB      1234567");
}

class SettingsFile : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("vantomir-settings-" + std::to_string(getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    path_ = (dir_ / "vantomir.ini").string();
    rng = Rng{};
    RandomSeed(11);
    CodeDefaultRecords();
    settings = Settings{};
    highScores = HighScoreTable{};
  }
  void TearDown() override { fs::remove_all(dir_); }

  void Write(const std::string& text) { std::ofstream(path_, std::ios::binary) << text; }
  std::string Read() {
    std::ifstream f(path_, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
  }

  fs::path dir_;
  std::string path_;
};

TEST_F(SettingsFile, MissingFileGivesDefaults) {
  LoadSettings(path_);
  EXPECT_EQ(settings, Settings{});
  EXPECT_EQ(highScores, DefaultHighScores());
}

TEST_F(SettingsFile, OutOfRangeValuesGiveTheirDefault) {
  Write("volume = 150\r\nscanlines = 25\r\nmousesens=abc\r\nstretch = -1\r\n[x]\r\nmusic = 0\r\n");
  LoadSettings(path_);
  EXPECT_EQ(settings.volume, 50);
  EXPECT_EQ(settings.scanlines, 25);
  EXPECT_EQ(settings.mouseSens, 0);
  EXPECT_EQ(settings.stretch, 1);
  EXPECT_EQ(settings.music, 1);
}

TEST_F(SettingsFile, OneDamagedRecordResetsTheWholeTable) {
  HighScoreTable mine = DefaultHighScores();
  mine.hsNames[1] = "ZED     ";
  mine.hsScores[1] = 9000;
  highScores = mine;
  ASSERT_TRUE(SaveSettings(path_));
  std::string text = Read();
  highScores = HighScoreTable{};
  LoadSettings(path_);
  EXPECT_EQ(highScores, mine);

  size_t at = text.find("score03 = ") + 10;
  text[at] = text[at] == '0' ? '1' : '0';
  Write(text);
  LoadSettings(path_);
  EXPECT_EQ(highScores, DefaultHighScores());
}

TEST_F(SettingsFile, EmptyRecordIsAnEmptyEntry) {
  Write("score02 =\r\n");
  LoadSettings(path_);
  EXPECT_EQ(highScores.hsNames[2], "");
  EXPECT_EQ(highScores.hsScores[2], 0);
  EXPECT_EQ(highScores.hsScores[1], 640);
}

TEST_F(SettingsFile, WrittenFileReadsBackTheSame) {
  settings = Settings{0, 70, 0, 0, 1, 9, 30, 0, 1};
  highScores = DefaultHighScores();
  highScores.hsNames[4] = "A_B^[\\] ";
  highScores.hsScores[4] = 9999999;
  ASSERT_TRUE(SaveSettings(path_));
  const std::string text = Read();
  EXPECT_EQ(text.rfind("smoothing = 0\r\nscanlines = 70\r\nstretch = 0\r\ntrails = 0\r\n"
                       "60hzmode = 1\r\nmousesens = 9\r\nvolume = 30\r\njoystick = 1\r\nmusic = 0\r\n"
                       "score01 = ", 0),
            0u);
  const Settings saved = settings;
  const HighScoreTable table = highScores;
  settings = Settings{};
  highScores = HighScoreTable{};
  LoadSettings(path_);
  EXPECT_EQ(settings, saved);
  EXPECT_EQ(highScores, table);
  EXPECT_FALSE(fs::exists(path_ + ".new"));
}

TEST_F(SettingsFile, FailedSaveKeepsTheOldFile) {
  Write("volume = 70\r\n");
  fs::create_directory(path_ + ".new");  // the temporary file cannot be made
  std::string error;
  EXPECT_FALSE(SaveSettings(path_, &error));
  EXPECT_NE(error.find(path_), std::string::npos) << error;
  EXPECT_EQ(Read(), "volume = 70\r\n");
  // A folder nobody may write in, not even root.
  EXPECT_FALSE(SaveSettings("/proc/vantomir.ini", &error));
  EXPECT_NE(error.find("/proc/vantomir.ini: "), std::string::npos) << error;
}

TEST_F(SettingsFile, AFolderOrADeviceOfThatNameGivesDefaultsAndIsLeftAlone) {
  auto load = [this] {
    settings = Settings{};
    settings.volume = 99;
    std::string problem;
    LoadSettings(path_, &problem);
    EXPECT_EQ(settings, Settings{});
    return problem;
  };
  fs::create_directory(path_);
  EXPECT_NE(load().find("is a folder"), std::string::npos);
  std::string error;
  EXPECT_FALSE(SaveSettings(path_, &error));
  EXPECT_NE(error.find("is a folder"), std::string::npos) << error;
  EXPECT_TRUE(fs::is_directory(path_));
  fs::remove(path_);

  // A link to a device is neither read nor replaced.
  fs::create_symlink("/dev/zero", path_);
  EXPECT_NE(load().find("not a regular file"), std::string::npos);
  EXPECT_FALSE(SaveSettings(path_, &error));
  EXPECT_TRUE(fs::is_symlink(path_));
  fs::remove(path_);

  // A regular file that cannot be read (even by root).
  EXPECT_FALSE(PreferencesReader::FromFile("/proc/self/mem", &error).ReadInteger("volume", 0));
  EXPECT_NE(error.find("/proc/self/mem: "), std::string::npos);
}

TEST_F(SettingsFile, SavingThroughALinkReplacesItsTargetAndKeepsTheLink) {
  const fs::path target = dir_ / "elsewhere.ini";
  std::ofstream(target) << "volume = 10\r\n";
  fs::create_symlink(target, path_);
  settings.volume = 80;
  ASSERT_TRUE(SaveSettings(path_));
  EXPECT_TRUE(fs::is_symlink(path_));
  settings = Settings{};
  LoadSettings(target.string());
  EXPECT_EQ(settings.volume, 80);
}

}  // namespace
