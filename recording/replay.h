// Playing recorded games back in the player's place, and watching any
// recording: a replay (from SCORES, or `vantomir --replay FILE`) or a
// demonstration.
//
// While replaying, the recorded frames replace the devices' input; nothing a
// replayed game does reaches the high-score table or is recorded again.
//
// While a recording plays it can be paused (by the main loop's pause), run
// one frame at a time forward or back, run fast (x2, x4, x8: the game frame
// runs that many times a pass), and jumped about in by ten seconds. Jumps
// restore a snapshot (recording/snapshots.h) and play on from it silently.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "input/game_input.h"
#include "recording/format.h"

// What happens once a replayed game has used up its recorded frames.
enum class ReplayEnd {
  EndGame,   // the game ends there, as it did when it was recorded
  ZeroInput  // the game goes on with no input (scripted runs)
};

// Where a replay leads when its last game is over or Escape leaves it.
enum class ReplayExit {
  Program,  // the end of the program: `vantomir --replay FILE` was all the run was for
  Title,
  Scores    // the high-score table it was chosen from
};

// Plays the recording's games one after another in the player's place,
// starting the first now.
void StartReplay(Recording recording, ReplayEnd end, ReplayExit exit);
bool Replaying();

// Stops a replay at once, changing no screen (tools, tests).
void StopReplay();

// Escape while replaying: the replay stops and its exit follows.
void LeaveReplay();

// A demonstration has started (for watching it).
void NoteDemonstrationStarted();

// The input of the play frame about to run: the demonstration's recording,
// the replayed game's frame, or the devices (recorded as the player's game).
PlayInput TakePlayInput();

// Once per frame of any screen, after it ran: notes the end of a recorded
// game, and ends a replayed game whose frames are used up.
void FollowGames();

// A replayed game has ended in the game itself (game over or the closing
// sequence): the next one starts, or the replay is over. Returns false when
// no replay runs.
bool FinishReplayedGame();

// How the last replayed game ended, for checking it against its recording.
struct ReplayOutcome {
  int32_t score = 0;
  int32_t lives = 0;
  int32_t level = 0;
  size_t framesPlayed = 0;         // recorded frames the game took
  std::optional<uint64_t> digest;  // of its play (FeedPlayDigest); none once it was jumped in
};
const ReplayOutcome& LastReplayOutcome();

//-----------------------------------------------------------------------------
// Watching a recording
//-----------------------------------------------------------------------------

// True while a replayed game or a demonstration is on the screen.
bool RecordingPlays();

// The game frames a pass runs: 1, 2, 4 or 8.
int32_t ReplaySpeed();

// Frames of the recording on the screen played so far, and its length.
int64_t ReplayPosition();
int64_t ReplayLength();

// What the player asked of the recording in this pass (the keys: up and down
// for faster and slower, left and right to jump ten seconds, "." and "," one
// frame forward and back; a pad's stick the same way, its buttons stepping).
struct ReplayRequests {
  int32_t speed = 0;  // +1 faster, -1 slower
  int64_t jump = 0;   // frames to jump, forward or back
  int32_t step = 0;   // +1 or -1: one frame forward or back (the replay pauses)
};
ReplayRequests ReadReplayRequests();

// Applies a speed change.
void ChangeReplaySpeed(int32_t change);

// Jumps by frames (clamped to the recording). True when the game moved and a
// new picture is drawn.
bool JumpReplay(int64_t frames);

// Runs the frames of one pass at the current speed (or the given number),
// keeping snapshots as it goes.
void PlayRecordingFrames(int32_t frames);

// The caption of a recording: its speed and time, over the playfield. A
// demonstration shows it once the player has touched a control.
void DrawReplayCaption();

// Memory and spacing of the snapshots kept (benchmarks, tests).
size_t ReplaySnapshotBytes();
int64_t ReplaySnapshotSpacing();
