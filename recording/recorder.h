// Recording the player's games as they are played.
//
// A game is a function of its seed, its start values and the input of each
// play frame, so that is all a recording keeps (recording/format.h). Every
// game the player starts is recorded in memory, frame by frame; when it ends
// its recording is there for the high-score table (recording/table.h). With
// `vantomir --record FILE` every game is also written to the file as it is
// played. Demonstrations and replayed games are not recorded: their input is
// a recording already.
#pragma once

#include <cstdint>
#include <string>

#include "input/game_input.h"
#include "recording/format.h"
#include "world/fnv.h"
#include "world/game.h"

// Starts writing every game played from now on to the file (replacing it).
// False, with the reason in error, when the file cannot be written.
bool StartRecordingFile(const std::string& path, std::string* error);

// Ends the game in progress, if any, and closes the file (shutdown).
void StopRecording();

// A player's game has started with this seed and start.
void NoteGameStarted(int32_t seed, const GameStart& start);

// The input of a frame of the player's game, as the game takes it.
void RecordFrame(const PlayInput& frame);

// The game in progress ends here with the outcome the world shows (game
// over, the closing sequence's end, or the player left it). Nothing happens
// when no game is being recorded.
void NoteGameEnded();

// The last game that ended, with its outcome, or null when none has since
// start-up (or since the game or the demonstration after it started).
const RecordedGame* FinishedGame();

// A demonstration has started: the game that ends next is not the player's.
void ForgetFinishedGame();

// The digest of a game's play: 64-bit FNV-1a fed, for every play frame,
// with the world's fingerprint before it (HashWorld) as 8 little-endian bytes
// and the frame's input (its five fields, 4 little-endian bytes each). Two
// plays of a game have the same digest only when they had the same input and
// every frame went the same way. kPlayDigestStart starts it; FeedPlayDigest
// adds a frame, with the world as it is.
constexpr uint64_t kPlayDigestStart = kFnvBasis;
uint64_t FeedPlayDigest(uint64_t digest, const PlayInput& frame);
