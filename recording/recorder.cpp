#include "recording/recorder.h"

#include "persist/settings.h"
#include "world/world.h"

namespace {

constexpr int32_t kFlushFrames = 60;  // the file gets what was played once a second

struct Recorder {
  RecordedGame game;      // the game in progress, or the last one once finished
  bool playing = false;   // a game is in progress
  RecordingStream file;   // --record
  PlayInput pending{};    // frames held back for the file: the same input, pendingCount times
  int32_t pendingCount = 0;
  uint64_t digest = kPlayDigestStart;
};

Recorder recorder;

void WritePending() {
  if (recorder.pendingCount > 0) recorder.file.Add(RecordingFrameLine(recorder.pending, recorder.pendingCount));
  recorder.pendingCount = 0;
}

}  // namespace

bool StartRecordingFile(const std::string& path, std::string* error) {
  StopRecording();
  return recorder.file.Open(path, error);
}

void StopRecording() {
  NoteGameEnded();
  recorder.file.Close();
}

void NoteGameStarted(int32_t seed, const GameStart& start) {
  NoteGameEnded();
  recorder.game = RecordedGame{};
  recorder.game.seed = seed;
  recorder.game.level = start.level;
  recorder.game.score = start.score;
  recorder.game.lives = start.lives;
  recorder.game.mouseSens = settings.mouseSens;
  recorder.game.joystick = settings.joystick;
  recorder.playing = true;
  recorder.digest = kPlayDigestStart;
  recorder.file.Add(RecordingGameLine(recorder.game));
  recorder.file.Flush();
}

void RecordFrame(const PlayInput& frame) {
  if (!recorder.playing) return;
  if (recorder.game.frames.size() >= kMaxRecordedFrames) return;  // twelve hours: the rest is not kept
  recorder.game.frames.push_back(frame);
  recorder.digest = FeedPlayDigest(recorder.digest, frame);
  if (!recorder.file.IsOpen()) return;
  // Repeated input goes to the file as one line with its count.
  if (recorder.pendingCount > 0 && !(frame == recorder.pending)) WritePending();
  recorder.pending = frame;
  ++recorder.pendingCount;
  if (recorder.game.frames.size() % kFlushFrames == 0) {
    WritePending();
    recorder.file.Flush();
  }
}

void NoteGameEnded() {
  if (!recorder.playing) return;
  const GameState& g = world.game;
  RecordedGame& game = recorder.game;
  game.ended = true;
  game.endScore = g.score;
  game.endLives = g.lives;
  game.endLevel = g.level;
  game.digest = recorder.digest;
  recorder.playing = false;
  WritePending();
  recorder.file.Add(
      RecordingEndLine(g.score, g.lives, g.level, static_cast<int32_t>(game.frames.size()), game.digest));
  recorder.file.Flush();
}

const RecordedGame* FinishedGame() { return recorder.game.ended ? &recorder.game : nullptr; }

void ForgetFinishedGame() {
  NoteGameEnded();
  recorder.game = RecordedGame{};
}

uint64_t FeedPlayDigest(uint64_t digest, const PlayInput& frame) {
  digest = FeedFnv(digest, HashWorld(world), 8);
  for (int32_t field : {frame.inputVX, frame.inputVY, frame.fireHeld, frame.stickX, frame.joystick}) {
    digest = FeedFnv(digest, static_cast<uint32_t>(field), 4);
  }
  return digest;
}
