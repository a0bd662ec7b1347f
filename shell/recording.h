// Recording the player's games as they are played, and playing recorded games
// back in the player's place.
//
// A game is a function of its seed, its start values and the input of each
// play frame, so that is all a recording keeps (persist/recording.h). While
// recording, every game the player starts is appended to the file a frame at
// a time and flushed, so a run that ends abruptly keeps what was played.
// While replaying, the recorded frames replace the devices' input; nothing a
// replayed game does reaches the high-score table.
#pragma once

#include <string>

#include "input/game_input.h"
#include "persist/recording.h"
#include "world/game.h"

// Starts writing every game played from now on to the file (replacing it).
// False, with the reason in error, when the file cannot be written.
bool StartRecording(const std::string& path, std::string* error);

// Writes the end of a game in progress and closes the file (shutdown).
void StopRecording();

// A player's game has started: while recording, its game line is written.
void NoteGameStarted(int32_t seed, const GameStart& start);

// What happens once a replayed game has used up its recorded frames.
enum class ReplayEnd {
  EndGame,   // the game ends there, as it did when it was recorded
  ZeroInput  // the game goes on with no input (scripted runs)
};

// Plays the recording's games one after another in the player's place,
// starting the first now. After the last one the program ends when
// exitAfter is set, otherwise the title follows.
void StartReplay(Recording recording, ReplayEnd end, bool exitAfter);
bool Replaying();

// Stops a replay at once; the title follows (Escape while replaying ends the
// program instead, see the main loop).
void StopReplay();

// The input of the play frame about to run: the demonstration's recording,
// the replayed game's frame, or the devices (written down while recording).
PlayInput TakePlayInput();

// Once per loop pass, after the screen ran: notes the end of a recorded
// game, and ends a replayed game whose frames are used up or moves on to the
// next one.
void FollowGames();

// A replayed game has ended in the game itself (game over or the closing
// sequence): the next one starts, or the replay is over. Returns false when
// no replay runs.
bool FinishReplayedGame();
