// The game's command line and the folder it keeps the player's files in.
#include <gtest/gtest.h>

#include <vector>

#include "shell/command_line.h"
#include "shell/data_folder.h"

namespace {

std::optional<CommandLine> Parse(std::vector<const char*> args, std::string* error) {
  return ParseCommandLine(static_cast<int>(args.size()), args.data(), error);
}

TEST(CommandLine, OptionsAndTheirValues) {
  std::string error;
  auto line = Parse({"--window", "--dir", "/tmp/v", "--record=game.vrec"}, &error);
  ASSERT_TRUE(line) << error;
  EXPECT_TRUE(line->window);
  EXPECT_EQ(line->dir, "/tmp/v");
  EXPECT_EQ(line->record, "game.vrec");
  EXPECT_FALSE(line->help || line->version);
  line = Parse({}, &error);
  ASSERT_TRUE(line);
  EXPECT_FALSE(line->window);
  EXPECT_TRUE(line->dir.empty());
  EXPECT_TRUE(Parse({"--help"}, &error)->help);
  EXPECT_TRUE(Parse({"--version"}, &error)->version);
}

TEST(CommandLine, MistakesAreNamed) {
  const struct {
    std::vector<const char*> args;
    const char* expected;
  } cases[] = {
      {{"--fullscreen"}, "unknown option '--fullscreen'"},
      {{"vantomir.ini"}, "unexpected argument 'vantomir.ini'"},
      {{"--dir"}, "'--dir' needs a value"},
      {{"--dir="}, "'--dir' needs a value"},
      {{"--window=yes"}, "'--window' takes no value"},
      {{"--record", "a", "--replay", "b"}, "cannot be used together"},
  };
  for (const auto& c : cases) {
    std::string error;
    EXPECT_FALSE(Parse(c.args, &error));
    EXPECT_NE(error.find(c.expected), std::string::npos) << error;
  }
}

TEST(DataFolder, FollowsTheXdgRules) {
  EXPECT_EQ(DefaultDataFolder("/data", "/home/p"), "/data/vantomir");
  EXPECT_EQ(DefaultDataFolder(nullptr, "/home/p"), "/home/p/.local/share/vantomir");
  EXPECT_EQ(DefaultDataFolder("relative/path", "/home/p"), "/home/p/.local/share/vantomir");
  EXPECT_EQ(DefaultDataFolder("", "/home/p"), "/home/p/.local/share/vantomir");
  // Without a usable HOME the user database tells.
  const std::string fromPasswd = DefaultDataFolder(nullptr, nullptr);
  EXPECT_EQ(fromPasswd.empty() || fromPasswd.ends_with("/.local/share/vantomir"), true) << fromPasswd;
}

}  // namespace
