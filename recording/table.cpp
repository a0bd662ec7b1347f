#include "recording/table.h"

#include <sys/stat.h>

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "world/fnv.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kExtension = ".vrec";
constexpr size_t kMostFiles = 64;  // more than that in the folder is not ours to read

std::array<std::optional<TableRecording>, 10> kept;

// The file name of a game without its extension: the same game, the same name.
std::string FileStemOf(const RecordedGame& game) {
  Recording r;
  r.games.push_back(game);
  const uint64_t hash = FeedFnv(kFnvBasis, EncodeRecording(r));
  char name[40];
  std::snprintf(name, sizeof name, "game-%016" PRIx64, hash);
  return name;
}

// The recordings in the folder, by name (so that equal entries always find
// the same files), at most kMostFiles of them.
std::vector<fs::path> RecordingFiles(const fs::path& folder) {
  std::vector<fs::path> files;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const fs::path& p = it->path();
    if (p.extension() == kExtension && files.size() < kMostFiles) files.push_back(p);
  }
  std::sort(files.begin(), files.end());
  return files;
}

// Whether an entry other than place keeps the file.
bool UsedElsewhere(const std::string& path, int32_t place) {
  for (int i = 1; i <= 8; ++i) {
    if (i != place && kept[i] && kept[i]->file == path) return true;
  }
  return false;
}

// Writes the entry's file with the name given.
bool WriteEntry(int32_t place, const std::string& name, TableRecording* r) {
  Recording recording;
  recording.entry = TableEntry{name, highScores.hsScores[place]};
  recording.games.push_back(r->game);
  std::error_code ec;
  if (fs::create_directory(kRecordingsFolder, ec)) {
    chmod(kRecordingsFolder, 0700);  // private to the player, like the folder it is in
  }
  // A game keeps the file it was given. The same game twice in the table (a
  // replay of it played again) gets a file of each entry's own.
  std::string path = r->file;
  if (path.empty()) {
    const std::string stem = (fs::path(kRecordingsFolder) / FileStemOf(r->game)).string();
    path = stem + kExtension;
    for (int copy = 2; UsedElsewhere(path, place); ++copy) path = stem + "-" + std::to_string(copy) + kExtension;
  }
  std::string error;
  if (!WriteRecordingFile(path, recording, &error)) {
    std::fprintf(stderr, "vantomir: the recording of a high score is not kept: %s\n", error.c_str());
    return false;
  }
  r->file = path;
  r->nameKept = name;
  return true;
}

void Remove(const std::string& path) {
  std::error_code ec;
  if (!path.empty() && !fs::remove(path, ec) && ec) {
    std::fprintf(stderr, "vantomir: cannot remove %s: %s\n", path.c_str(), ec.message().c_str());
  }
}

}  // namespace

FoundRecordings FindTableRecordings(const std::string& dataFolder, const HighScoreTable& table) {
  FoundRecordings found;
  const fs::path folder = fs::path(dataFolder) / kRecordingsFolder;
  std::vector<std::pair<std::string, Recording>> readable;
  for (const fs::path& file : RecordingFiles(folder)) {
    const std::string shown = (fs::path(kRecordingsFolder) / file.filename()).string();
    std::string error;
    std::optional<Recording> r = ReadRecordingFile(file.string(), &error, shown);
    if (!r) {
      found.problems.push_back(error);
      continue;
    }
    const char* why = !r->entry                                       ? "names no entry of the high-score table"
                      : r->games.size() != 1                          ? "holds more than one game"
                      : !r->games[0].ended                            ? "holds a game without its end"
                      : r->games[0].endScore != r->entry->score       ? "ends with another score than its entry's"
                                                                      : nullptr;
    if (why != nullptr) {
      found.problems.push_back(shown + ": " + why);
      continue;
    }
    readable.emplace_back(file.string(), std::move(*r));
  }
  std::vector<bool> taken(readable.size(), false);
  for (int place = 1; place <= 8; ++place) {
    for (size_t k = 0; k < readable.size(); ++k) {
      const TableEntry& e = *readable[k].second.entry;
      if (taken[k] || e.name != table.hsNames[place] || e.score != table.hsScores[place]) continue;
      taken[k] = true;
      const std::string path = (fs::path(kRecordingsFolder) / fs::path(readable[k].first).filename()).string();
      found.entries[place] = TableRecording{readable[k].second.games[0], path, e.name};
      break;
    }
  }
  for (size_t k = 0; k < readable.size(); ++k) {
    if (!taken[k]) found.unused.push_back(readable[k].first);
  }
  return found;
}

void LoadTableRecordings() {
  FoundRecordings found = FindTableRecordings(".", highScores);
  for (const std::string& problem : found.problems) {
    std::fprintf(stderr, "vantomir: %s; skipped\n", problem.c_str());
  }
  kept = std::move(found.entries);
}

const RecordedGame* TableRecordingOf(int32_t place) {
  if (place < 1 || place > 8 || !kept[place]) return nullptr;
  return &kept[place]->game;
}

void KeepTableRecording(int32_t place, const RecordedGame* game) {
  if (place < 1 || place > 8) return;
  if (kept[8] && !UsedElsewhere(kept[8]->file, 8)) Remove(kept[8]->file);
  for (int i = 8; i > place; --i) kept[i] = std::move(kept[i - 1]);
  kept[place].reset();
  if (game == nullptr) return;
  // The name is still to be entered: blank, as the name entry starts it.
  TableRecording r{*game, "", ""};
  WriteEntry(place, std::string(8, ' '), &r);
  kept[place] = std::move(r);
}

void SaveTableRecordings() {
  for (int place = 1; place <= 8; ++place) {
    std::optional<TableRecording>& r = kept[place];
    if (!r || (!r->file.empty() && r->nameKept == highScores.hsNames[place])) continue;
    WriteEntry(place, highScores.hsNames[place], &*r);
  }
  std::error_code ec;
  if (!fs::is_directory(kRecordingsFolder, ec)) return;
  for (const fs::path& file : RecordingFiles(kRecordingsFolder)) {
    const std::string path = (fs::path(kRecordingsFolder) / file.filename()).string();
    const bool ofAnEntry = std::any_of(kept.begin(), kept.end(), [&](const std::optional<TableRecording>& r) {
      return r && r->file == path;
    });
    if (!ofAnEntry) Remove(path);
  }
}
