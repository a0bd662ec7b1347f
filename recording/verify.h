// Checking a recording: its games replayed by the game's own code, at full
// speed, each compared with the end line it claims.
//
// A recorded game is true when, played from its start with its frames, it
// uses exactly its frames (it does not end before them, and it ends in the
// last one or goes on past it), then shows the score, lives and level of its
// end line, and has the digest of its end line (when it has one: recordings
// of the first version do not). A changed frame or a changed end line fails. The game must
// be started up (StartUp) first; what runs is the Play and AllClear screens,
// frame by frame, without the main loop around them.
#pragma once

#include <string>

#include "recording/format.h"

struct Verdict {
  bool ok = false;
  std::string why;  // what was found, or what is wrong
};

Verdict VerifyRecordedGame(const RecordedGame& game);

// Every game of the recording, in order; the first that fails decides.
Verdict VerifyRecording(const Recording& recording);
