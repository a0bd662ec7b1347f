//-----------------------------------------------------------------------------
// The program from its command line to its exit status: the folder of the
// player's files, an optional recording or replay, start-up, the main loop
// and shutdown.
//-----------------------------------------------------------------------------
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "persist/settings.h"
#include "recording/format.h"
#include "recording/recorder.h"
#include "recording/replay.h"
#include "shell/command_line.h"
#include "shell/data_folder.h"
#include "shell/shell.h"

namespace {

namespace fs = std::filesystem;

// Creates the folder and any missing parents, private to the player as the
// XDG base directory rules ask. False with the reason in error.
bool MakeFolder(const std::string& path, std::string* error) {
  std::error_code ec;
  const fs::path folder = fs::absolute(path, ec);
  std::string partial;
  for (const fs::path& part : folder) {
    partial = (fs::path(partial) / part).string();
    if (mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST) {
      *error = partial + ": " + std::strerror(errno);
      return false;
    }
  }
  struct stat st;
  if (stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    *error = path + ": not a folder";
    return false;
  }
  return true;
}

bool IsRegularFile(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// Moves into the folder of the player's files. False (with a message) only
// when a folder asked for with --dir cannot be used; a default folder that
// cannot be made leaves the game in the current folder.
bool EnterDataFolder(const CommandLine& line) {
  std::string error;
  if (!line.dir.empty()) {
    if (!MakeFolder(line.dir, &error) || chdir(line.dir.c_str()) != 0) {
      if (error.empty()) error = line.dir + ": " + std::strerror(errno);
      std::fprintf(stderr, "vantomir: cannot use the folder %s\n", error.c_str());
      return false;
    }
    return true;
  }
  const std::string folder = DefaultDataFolder(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
  if (folder.empty() || !MakeFolder(folder, &error)) {
    std::fprintf(stderr, "vantomir: cannot make a folder for the settings (%s); using the current folder\n",
                 folder.empty() ? "no home folder" : error.c_str());
    return true;
  }
  // A file left by an older version in the current folder is not touched;
  // the player is told where the game looks now.
  const bool oldFileHere = IsRegularFile(kSettingsFile) && !IsRegularFile(folder + "/" + kSettingsFile);
  if (chdir(folder.c_str()) != 0) {
    std::fprintf(stderr, "vantomir: cannot enter %s: %s; using the current folder\n", folder.c_str(),
                 std::strerror(errno));
    return true;
  }
  if (oldFileHere) {
    std::fprintf(stderr,
                 "vantomir: settings and scores are kept in %s now; the vantomir.ini in the folder the game "
                 "was started from is not read (move it there to keep it)\n",
                 folder.c_str());
  }
  return true;
}

}  // namespace

int RunGame(const CommandLine& line) {
  // Files named on the command line are taken from where the game was started.
  std::error_code ec;
  const std::string recordPath = line.record.empty() ? "" : fs::absolute(line.record, ec).string();
  std::optional<Recording> replay;
  if (!line.replay.empty()) {
    std::string error;
    replay = ReadRecordingFile(line.replay, &error);
    if (!replay) {
      std::fprintf(stderr, "vantomir: cannot replay %s\n", error.c_str());
      return 1;
    }
  }
  if (!EnterDataFolder(line)) return 1;
  if (!recordPath.empty()) {
    std::string error;
    if (!StartRecordingFile(recordPath, &error)) {
      std::fprintf(stderr, "vantomir: %s\n", error.c_str());
      return 1;
    }
  }

  const StartUpResult started = StartUp(line.window);
  if (started == StartUpResult::Ready) {
    if (replay) StartReplay(std::move(*replay), ReplayEnd::EndGame, ReplayExit::Program);
    while (RunPass()) {
    }
  }
  ShutDown(started);
  return started == StartUpResult::Ready && !shell.failed ? 0 : 1;
}
