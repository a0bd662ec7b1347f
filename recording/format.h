// Recordings of the player's games: for every game, how it started and the
// input of each of its play frames, enough to play the game again exactly.
//
// A recording is text, stored compressed with gzip (zcat shows it):
//
//   vantomir-recording 2
//   table name ACE~~~~~ score 1234
//   game seed 4711 level 1 score 0 lives 3 mousesens 3 joystick 0
//   160 -35 0
//   172 -35 1 x12
//   90 12 1 41
//   ...
//   end score 1234 lives -1 level 2 frames 3010 digest 5f0e24c9a1b3d678
//
// The first line names the format and its version. A "table" line, only in
// the recordings kept with the high-score table, names the table entry the
// game made (its name with each blank written as "~", and its score). A
// "game" line starts a game: the seed of the game's generator and its start
// values; mousesens and joystick tell how the player steered (for reading
// only: the frames already hold the steering's result). Each frame line is
// inputVX inputVY fireHeld, plus stickX when the ship turned by the
// joystick's rule, and then "xN" when the same input held for N frames in a
// row. An "end" line closes a game with its outcome and a digest of its input
// and play (FeedPlayDigest, recording/recorder.h), which tells a changed
// recording even when it ends the same; a game cut short (the program was killed)
// has none. Lines starting with "#" and blank lines are ignored.
//
// Version 1, the format of earlier versions of the game, is the same without
// the "xN" counts, the "table" line and the digest, and uncompressed; it is
// still read.
// Plain text of either version is read as well as gzip.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "input/game_input.h"

constexpr int32_t kRecordingVersion = 2;

// The most frames one recording may hold: twelve hours of play.
constexpr size_t kMaxRecordedFrames = 12u * 3600u * 60u;

struct RecordedGame {
  int32_t seed = 0;
  int32_t level = 1;
  int32_t score = 0;
  int32_t lives = 3;
  int32_t mouseSens = 3;
  int32_t joystick = 0;
  std::vector<PlayInput> frames;
  bool ended = false;  // an end line was read; the outcome below is known
  int32_t endScore = 0;
  int32_t endLives = 0;
  int32_t endLevel = 0;
  std::optional<uint64_t> digest;  // of its play, when the end line gives it

  bool operator==(const RecordedGame&) const = default;
};

// The high-score table entry a kept recording belongs to.
struct TableEntry {
  std::string name;  // 8 characters, as in the table
  int32_t score = 0;

  bool operator==(const TableEntry&) const = default;
};

struct Recording {
  std::optional<TableEntry> entry;
  std::vector<RecordedGame> games;

  bool operator==(const Recording&) const = default;
};

// The lines of the format, each with its line feed.
std::string RecordingHeaderLine();
std::string RecordingGameLine(const RecordedGame& game);
// A frame line; repeat > 1 says the frame held that many frames in a row.
std::string RecordingFrameLine(const PlayInput& frame, int32_t repeat = 1);
std::string RecordingEndLine(int32_t score, int32_t lives, int32_t level, int32_t frames,
                             std::optional<uint64_t> digest = std::nullopt);

// The whole text of a recording (the newest version, frames collapsed).
std::string EncodeRecording(const Recording& recording);

// Reads a recording's text; on failure the error says which line is wrong and
// why ("line 7: ..."), and nothing is returned.
std::optional<Recording> DecodeRecording(std::string_view text, std::string* error);

// Reads a recording as stored: gzip, or plain text. A gzip stream cut short
// (the program was killed while writing) gives what was written before the
// cut, up to its last whole line.
std::optional<Recording> DecodeStoredRecording(std::string_view bytes, std::string* error);

// Reads a recording file; the error names the file as shown (by default its
// path).
std::optional<Recording> ReadRecordingFile(const std::string& path, std::string* error,
                                           const std::string& shown = {});

// Writes a recording file as stored (gzip), atomically: the old file stays
// as it was until the new one is complete on the disk. False, with the
// reason in error, when it cannot be written.
bool WriteRecordingFile(const std::string& path, const Recording& recording, std::string* error);

// gzip compression of a whole text, and its reverse (at most maxBytes of
// text; a stream cut short gives what it holds and sets *complete false).
std::string Gzip(std::string_view text);
std::optional<std::string> Gunzip(std::string_view bytes, size_t maxBytes, bool* complete, std::string* error);

// Writes a recording as it is played, a line at a time, compressed. What was
// written is pushed to the file by Flush (the recorder flushes at the start
// and end of every game and once a second), so that a game cut short keeps
// all but its last moments.
class RecordingStream {
 public:
  RecordingStream() = default;
  RecordingStream(const RecordingStream&) = delete;
  RecordingStream& operator=(const RecordingStream&) = delete;
  ~RecordingStream();

  // Starts the file (replacing it) with the header line. False, with the
  // reason in error, when it cannot be written.
  bool Open(const std::string& path, std::string* error);
  bool IsOpen() const { return fd_ >= 0; }

  // Adds a line; Flush pushes everything added to the file. A failed write
  // closes the stream and says so once on standard error.
  void Add(std::string_view line);
  void Flush();
  // Ends the compressed stream and closes the file.
  void Close();

 private:
  void Deflate(std::string_view in, int mode);
  void Fail(const char* why);
  void Release();

  int fd_ = -1;
  std::string path_;
  struct Compressor;
  Compressor* z_ = nullptr;
};
