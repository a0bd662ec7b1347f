// Recordings of the player's games: a small text file that holds, for every
// game, how it started and the input of each of its play frames, enough to
// play the game again exactly.
//
//   vantomir-recording 1
//   game seed 4711 level 1 score 0 lives 3 mousesens 3 joystick 0
//   160 -35 0
//   172 -35 1
//   90 12 1 41
//   ...
//   end score 1234 lives -1 level 2 frames 3010
//
// The first line names the format and its version. A "game" line starts a
// game: the seed of the game's generator and its start values; mousesens and
// joystick tell how the player steered (for reading only: the frames already
// hold the steering's result). Each frame line is inputVX inputVY fireHeld,
// plus stickX when the ship turned by the joystick's rule. An "end" line
// closes a game with its outcome; a game cut short (the program was killed)
// has none. Lines starting with "#" and blank lines are ignored.
//
// The writer works a line at a time so that a recording can be flushed as it
// grows; the reader takes a whole file and says exactly what is wrong with a
// damaged one.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "input/game_input.h"

constexpr int32_t kRecordingVersion = 1;

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
};

struct Recording {
  std::vector<RecordedGame> games;
};

// The lines of the format, each with its line feed.
std::string RecordingHeaderLine();
std::string RecordingGameLine(const RecordedGame& game);
std::string RecordingFrameLine(const PlayInput& frame);
std::string RecordingEndLine(int32_t score, int32_t lives, int32_t level, int32_t frames);

// The whole text of a recording, as the writer would have made it.
std::string EncodeRecording(const Recording& recording);

// Reads a recording's text; on failure the error says which line is wrong and
// why ("line 7: ..."), and nothing is returned.
std::optional<Recording> DecodeRecording(std::string_view text, std::string* error);

// Reads a recording file; the error names the file.
std::optional<Recording> ReadRecordingFile(const std::string& path, std::string* error);
