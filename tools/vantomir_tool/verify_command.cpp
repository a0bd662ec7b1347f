// vantomir-tool verify: checks recordings by replaying them headless with
// the game's own code; see kHelp.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "audio/music.h"
#include "persist/settings.h"
#include "platform/headless.h"
#include "recording/format.h"
#include "recording/table.h"
#include "recording/verify.h"
#include "shell/shell.h"
#include "tools/vantomir_tool/args.h"
#include "tools/vantomir_tool/commands.h"
#include "tools/vantomir_tool/scratch_folder.h"

namespace {

const char* kHelp =
    "usage: vantomir-tool verify FILE [FILE...]\n"
    "       vantomir-tool verify --table DIR\n\n"
    "Replays each recording (made by 'vantomir --record', or kept with a high\n"
    "score) headless at full speed and checks that every game in it reaches the\n"
    "end line it claims: score, lives, level and frames. One line per file.\n\n"
    "  --table DIR  checks the recordings of the high-score table of the data\n"
    "               folder DIR (vantomir.ini and DIR/recordings) against the\n"
    "               table: one line per entry, and one per file that is\n"
    "               damaged or belongs to no entry\n\n"
    "Exit status 0 when every recording holds, 1 when any does not (or a file\n"
    "cannot be read), 2 on a usage error.\n";

namespace fs = std::filesystem;

// The game, headless, as every check replays it: the settings of a fresh
// install, no tune, and a scratch folder of its own, so that nothing of the
// player's is read or written but the recordings checked.
bool StartGame(fs::path* scratch) {
  *scratch = MakeScratchFolder("verify");
  if (scratch->empty() || chdir(scratch->c_str()) != 0) {
    std::fprintf(stderr, "vantomir-tool verify: cannot make a scratch folder\n");
    return false;
  }
  platform::headless::Reset();
  SetMusicDriver(MusicDriver::Caller);
  if (StartUp() != StartUpResult::Ready) return false;
  settings = Settings{};
  settings.music = 0;
  RunPass();  // one title frame: the graphics are built as in the game
  return true;
}

// Each file as given and where it is.
struct NamedFile {
  std::string shown, path;
};

int VerifyFiles(const std::vector<NamedFile>& files) {
  bool allOk = true;
  for (const auto& [file, path] : files) {
    std::string error;
    std::optional<Recording> recording = ReadRecordingFile(path, &error, file);
    if (!recording) {
      std::printf("FAIL %s\n", error.c_str());
      allOk = false;
      continue;
    }
    const Verdict v = VerifyRecording(*recording);
    std::printf("%s %s: %s\n", v.ok ? "ok  " : "FAIL", file.c_str(), v.why.c_str());
    allOk = allOk && v.ok;
  }
  return allOk ? 0 : 1;
}

int VerifyTable(const std::string& dir) {
  std::string problem;
  LoadSettings(dir + "/" + kSettingsFile, &problem);
  if (!problem.empty()) {
    std::printf("FAIL %s\n", problem.c_str());
    return 1;
  }
  const HighScoreTable table = highScores;
  const FoundRecordings found = FindTableRecordings(dir, table);
  bool allOk = true;
  for (int place = 1; place <= 8; ++place) {
    const std::string entry = "entry " + std::to_string(place) + " (" + table.hsNames[place] + " " +
                              std::to_string(table.hsScores[place]) + ")";
    if (!found.entries[place]) {
      std::printf("-    %s: no recording\n", entry.c_str());
      continue;
    }
    const Verdict v = VerifyRecordedGame(found.entries[place]->game);
    std::printf("%s %s, %s: %s\n", v.ok ? "ok  " : "FAIL", entry.c_str(), found.entries[place]->file.c_str(),
                v.why.c_str());
    allOk = allOk && v.ok;
  }
  for (const std::string& p : found.problems) std::printf("FAIL %s\n", p.c_str());
  for (const std::string& u : found.unused) std::printf("-    %s: of no entry of the table\n", u.c_str());
  return allOk && found.problems.empty() ? 0 : 1;
}

}  // namespace

int VerifyCommand(const Args& args) {
  std::vector<NamedFile> files;
  std::string table;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--help" || args[i] == "-h") {
      std::fputs(kHelp, stdout);
      return 0;
    }
    if (args[i] == "--table") {
      if (i + 1 == args.size()) return UsageError("verify", "--table needs a folder");
      table = args[++i];
    } else if (args[i].starts_with("--")) {
      return UsageError("verify", "unknown option " + args[i]);
    } else {
      files.push_back({args[i], args[i]});
    }
  }
  if (table.empty() == files.empty()) return UsageError("verify", "give recordings, or --table DIR (not both)");
  // Named from where the tool was started.
  std::error_code ec;
  for (NamedFile& f : files) f.path = fs::absolute(f.shown, ec).string();
  if (!table.empty()) table = fs::absolute(table, ec).string();
  fs::path scratch;
  if (!StartGame(&scratch)) return 1;
  const int status = table.empty() ? VerifyFiles(files) : VerifyTable(table);
  ShutDown(StartUpResult::Ready, false);
  fs::remove_all(scratch, ec);
  return status;
}
