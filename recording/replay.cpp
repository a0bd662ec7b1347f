#include "recording/replay.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>

#include "audio/music.h"
#include "audio/sound.h"
#include "input/input.h"
#include "recording/recorder.h"
#include "recording/snapshots.h"
#include "render/display.h"
#include "render/graphics.h"
#include "render/text.h"
#include "shell/shell.h"
#include "world/game.h"
#include "world/world.h"

namespace {

constexpr int64_t kJumpFrames = 10 * 60;  // ten seconds
constexpr int32_t kFastest = 8;
constexpr int32_t kStickPressed = 24576;  // three quarters of the stick's travel counts as a press

struct Replay {
  bool active = false;
  Recording recording;
  size_t game = 0;   // the game being played
  size_t frame = 0;  // its next recorded frame
  std::optional<uint64_t> digest = kPlayDigestStart;  // of its play so far, while it is played straight on
  ReplayEnd end = ReplayEnd::EndGame;
  ReplayExit exit = ReplayExit::Title;
};

// Watching whatever recording is on the screen.
struct Watch {
  int64_t played = 0;       // frames of it played so far
  int32_t speed = 1;
  bool touched = false;     // the player used a control (a demonstration shows its caption from then on)
  uint32_t latch = 0;       // controls held in the last pass
  SnapshotStore snapshots;
};

Replay replay;
Watch watch;
ReplayOutcome outcome;

void StartWatching() {
  watch.played = 0;
  watch.speed = 1;
  watch.touched = false;
  watch.snapshots.Clear();
}

void StartReplayedGame() {
  const RecordedGame& game = replay.recording.games[replay.game];
  replay.frame = 0;
  replay.digest = kPlayDigestStart;
  StartGameWith(game.seed, GameStart{game.level, game.score, game.lives});
  StartWatching();
}

void NoteOutcome() {
  const GameState& g = world.game;
  outcome = ReplayOutcome{g.score, g.lives, g.level, replay.frame, replay.digest};
}

// The screen a replay leads to.
void GoToExit(ReplayExit exit) {
  shell.screenTimer = 0;
  switch (exit) {
    case ReplayExit::Program:
      shell.screenState = ScreenState::Exit;
      break;
    case ReplayExit::Title:
      shell.screenState = ScreenState::Title;
      break;
    case ReplayExit::Scores:
      StopSong();  // the table is quiet, as it was when the game was chosen
      shell.clickLatch = 1;  // the click that chose the game, or a held one, does not act there
      shell.screenState = ScreenState::Scores;
      break;
  }
}

// The replayed game is over: the next one starts, or the replay leads on.
void NextReplayedGame() {
  if (++replay.game < replay.recording.games.size()) {
    StartReplayedGame();
    return;
  }
  const ReplayExit exit = replay.exit;
  StopReplay();
  GoToExit(exit);
}

// One frame of the recording on the screen, with a snapshot first when one
// is due. False when the frame ended the recording's game.
bool PlayOneFrame() {
  if (!RecordingPlays()) return false;
  if (watch.snapshots.Due(watch.played)) watch.snapshots.Keep(CaptureGame(watch.played));
  const size_t game = replay.game;
  ++watch.played;  // first: a game that ends in this frame starts the next one's count at 0
  RunGameFrame();
  return RecordingPlays() && replay.game == game;
}

}  // namespace

void StartReplay(Recording recording, ReplayEnd end, ReplayExit exit) {
  replay = Replay{true, std::move(recording), 0, 0, kPlayDigestStart, end, exit};
  if (replay.recording.games.empty()) {
    NextReplayedGame();
    return;
  }
  StartReplayedGame();
}

bool Replaying() { return replay.active; }

void StopReplay() {
  replay = Replay{};
  watch.snapshots.Clear();
}

void LeaveReplay() {
  const ReplayExit exit = replay.exit;
  StopReplay();
  ClearAllEntities();
  StopAllSounds();
  if (exit == ReplayExit::Title) {
    ReturnToTitleWithIntro();
  } else {
    GoToExit(exit);
  }
}

void NoteDemonstrationStarted() { StartWatching(); }

PlayInput TakePlayInput() {
  if (shell.demoMode) return DemoInput(shell.demoIndex);
  if (replay.active) {
    const std::vector<PlayInput>& frames = replay.recording.games[replay.game].frames;
    const size_t f = replay.frame++;
    const PlayInput in = f < frames.size() ? frames[f] : PlayInput{};
    if (replay.digest) replay.digest = FeedPlayDigest(*replay.digest, in);
    return in;
  }
  const PlayInput in = ReadGameInput();
  RecordFrame(in);
  return in;
}

void FollowGames() {
  if (!InGame() && !replay.active) NoteGameEnded();
  if (replay.active && replay.end == ReplayEnd::EndGame && shell.screenState == ScreenState::Play &&
      replay.frame >= replay.recording.games[replay.game].frames.size()) {
    // The recording stops where the player stopped (Escape, or the program
    // was closed): so does the game.
    NoteOutcome();
    ClearAllEntities();
    StopAllSounds();
    NextReplayedGame();
  }
}

bool FinishReplayedGame() {
  if (!replay.active) return false;
  NoteOutcome();
  NextReplayedGame();
  return true;
}

const ReplayOutcome& LastReplayOutcome() { return outcome; }

//-----------------------------------------------------------------------------
// Watching a recording
//-----------------------------------------------------------------------------

bool RecordingPlays() { return InGame() && (replay.active || shell.demoMode); }

int32_t ReplaySpeed() { return watch.speed; }

int64_t ReplayPosition() { return watch.played; }

int64_t ReplayLength() {
  if (replay.active) return static_cast<int64_t>(replay.recording.games[replay.game].frames.size());
  return kDemoFrames;
}

ReplayRequests ReadReplayRequests() {
  // The pad's stick counts when the pad plays: pushed most of the way it is
  // an arrow key. Its buttons step a replay (in a demonstration they end it).
  const bool pad = PadPlays();
  const int32_t jx = input.joyX - (input.joyXMax >> 1), jy = input.joyY - (input.joyYMax >> 1);
  const bool held[] = {
      input.upKey || (pad && jy < -kStickPressed),     input.downKey || (pad && jy > kStickPressed),
      input.leftKey || (pad && jx < -kStickPressed),   input.rightKey || (pad && jx > kStickPressed),
      input.stepForwardKey || (pad && replay.active && input.joyButtons != 0), input.stepBackKey != 0,
  };
  uint32_t now = 0;
  for (int i = 0; i < 6; ++i) now |= held[i] ? 1u << i : 0u;
  const uint32_t pressed = now & ~watch.latch;
  watch.latch = now;
  ReplayRequests r;
  if (pressed & 1) r.speed = +1;
  if (pressed & 2) r.speed = -1;
  if (pressed & 4) r.jump = -kJumpFrames;
  if (pressed & 8) r.jump = +kJumpFrames;
  if (pressed & 16) r.step = +1;
  if (pressed & 32) r.step = -1;
  if (pressed != 0) watch.touched = true;
  return r;
}

void ChangeReplaySpeed(int32_t change) {
  if (change > 0) watch.speed = std::min(kFastest, watch.speed * 2);
  if (change < 0) watch.speed = std::max(1, watch.speed / 2);
}

bool JumpReplay(int64_t frames) {
  if (!RecordingPlays()) return false;
  // At least one frame is played, so that the picture shows the moment
  // reached; never the last one, which would end the game.
  const int64_t target = std::clamp(watch.played + frames, int64_t{1}, std::max<int64_t>(1, ReplayLength() - 1));
  if (target == watch.played) return false;
  const GameSnapshot* from = watch.snapshots.Before(target - 1);
  if (target < watch.played || (from != nullptr && from->frame > watch.played)) {
    if (from == nullptr) return false;
    RestoreGame(*from);
    watch.played = from->frame;
    if (replay.active) {
      replay.frame = static_cast<size_t>(from->frame);
      replay.digest.reset();  // the frames skipped are not in it
    }
  }
  StopAllSounds();
  MuteSounds(true);
  while (watch.played < target && PlayOneFrame()) {
  }
  MuteSounds(false);
  return true;
}

void PlayRecordingFrames(int32_t frames) {
  for (int32_t i = 0; i < frames && PlayOneFrame(); ++i) {
  }
}

namespace {

// Seconds of the recording as the caption shows them: "MM:SS" (or H:MM:SS).
std::string ReplayClock(int64_t frames) {
  const int64_t seconds = std::max<int64_t>(0, frames) / 60;
  char text[32];
  if (seconds >= 3600) {
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
                  static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
  } else {
    std::snprintf(text, sizeof text, "%02lld:%02lld", static_cast<long long>(seconds / 60),
                  static_cast<long long>(seconds % 60));
  }
  return text;
}

}  // namespace

void DrawReplayCaption() {
  if (!RecordingPlays() || (shell.demoMode && !watch.touched)) return;
  // "X4 01:23/05:40" at the bottom left, on a dark strip so that it reads
  // over the landscape and replaces the caption of the pass before.
  // Appended piece by piece: g++ 12 at -O3 warns falsely (-Wrestrict) on "x" + std::string.
  std::string text = "X";
  text += std::to_string(watch.speed);
  text += ' ';
  text += ReplayClock(watch.played);
  text += '/';
  text += ReplayClock(ReplayLength());
  const int width = static_cast<int>(text.size()) * 8 + 2;
  BeginPaint(Playfield);
  PaintBox(0, 214, width, 10, MakeColour(0, 0, 0));
  EndPaint();
  SelectTarget(Playfield);
  DrawText(1, 215, text);
  SelectTarget(ScreenTarget);
}

size_t ReplaySnapshotBytes() { return watch.snapshots.Bytes(); }
int64_t ReplaySnapshotSpacing() { return watch.snapshots.Spacing(); }
