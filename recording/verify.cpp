#include "recording/verify.h"

#include <utility>

#include "recording/replay.h"
#include "shell/shell.h"

namespace {

std::string Outcome(int32_t score, int32_t lives, int32_t level, size_t frames) {
  return "score " + std::to_string(score) + ", lives " + std::to_string(lives) + ", level " + std::to_string(level) +
         " after " + std::to_string(frames) + " frames";
}

}  // namespace

Verdict VerifyRecordedGame(const RecordedGame& game) {
  if (!game.ended) return {false, "a game cut short: no end line to check it against"};
  Recording one;
  one.games.push_back(game);
  StartReplay(std::move(one), ReplayEnd::EndGame, ReplayExit::Title);
  while (Replaying()) RunGameFrame();
  const ReplayOutcome& o = LastReplayOutcome();
  const std::string claimed = Outcome(game.endScore, game.endLives, game.endLevel, game.frames.size());
  const std::string played = Outcome(o.score, o.lives, o.level, o.framesPlayed);
  if (o.framesPlayed != game.frames.size()) {
    return {false, "the game ends with " + played + ", but its end line says " + claimed};
  }
  if (o.score != game.endScore || o.lives != game.endLives || o.level != game.endLevel) {
    return {false, "played, it ends with " + played + ", but its end line says " + claimed};
  }
  if (game.digest && *game.digest != o.digest) {
    return {false, "played, it ends as its end line says, but its input or its play is not what was recorded (the digest differs)"};
  }
  return {true, claimed};
}

Verdict VerifyRecording(const Recording& recording) {
  const size_t n = recording.games.size();
  Verdict v{false, "the recording holds no game"};
  for (size_t i = 0; i < n; ++i) {
    v = VerifyRecordedGame(recording.games[i]);
    if (!v.ok) {
      if (n > 1) v.why = "game " + std::to_string(i + 1) + ": " + v.why;
      return v;
    }
  }
  if (n > 1) v.why = std::to_string(n) + " games, the last with " + v.why;
  return v;
}
