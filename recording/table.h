// The recordings of the high-score table: every entry that a game played
// since keeps that game, to watch it again (SCORES) and to check it
// (vantomir-tool verify --table).
//
// They live in the folder "recordings" beside vantomir.ini, one file per
// entry, named by the game ("game-<16 hex digits>.vrec", the same game
// always the same name). Each file names the entry it belongs to (the
// "table" line: name and score), so the table in vantomir.ini stays exactly
// as it was and finds its recordings by name and score. An entry whose file
// is missing, damaged or foreign simply has no recording; nothing about it
// touches the table.
//
// A game's file is written (atomically) the moment it enters the table; the
// entry pushed out of the table loses its file then. Whenever the settings
// are saved, and when a name has been entered, the files follow the table:
// a name typed since is written into its file, and any recording of no entry
// is removed.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "persist/high_score_table.h"
#include "recording/format.h"

constexpr const char* kRecordingsFolder = "recordings";

// One entry's recording, as found or kept.
struct TableRecording {
  RecordedGame game;
  std::string file;      // its path; empty when it could not be written
  std::string nameKept;  // the name the file holds
};

// The recordings of a table found in a data folder: entry i (1..8) holds
// the recording of table entry i, if it has one. Files that cannot be read,
// or that are not a finished game of a table entry, are skipped; each is
// described in problems ("recordings/x.vrec: line 3: ..."). Files of no
// entry are listed in unused.
struct FoundRecordings {
  std::array<std::optional<TableRecording>, 10> entries;
  std::vector<std::string> problems;
  std::vector<std::string> unused;
};
FoundRecordings FindTableRecordings(const std::string& dataFolder, const HighScoreTable& table);

// Start-up, after the settings are read: the recordings of the table in the
// current folder. Problems go to standard error, one line each.
void LoadTableRecordings();

// The recording of table entry place (1..8), or null.
const RecordedGame* TableRecordingOf(int32_t place);

// A score has entered the table at place (InsertHighScore): the entries
// below moved down a place with their recordings, and the last one's file is
// removed. game is the game that made the score (null when there is none to
// keep, as for a demonstration); its file is written at once.
void KeepTableRecording(int32_t place, const RecordedGame* game);

// The files follow the table: names typed since are written into them and
// recordings of no entry are removed. Problems go to standard error.
void SaveTableRecordings();
