#include "shell/recording.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

#include "audio/sound.h"
#include "persist/settings.h"
#include "shell/shell.h"
#include "world/game.h"
#include "world/world.h"

namespace {

struct Recorder {
  std::FILE* file = nullptr;
  std::string path;
  bool gameOpen = false;  // a game line was written and its end line not yet
  int32_t frames = 0;     // frames written for the open game
};

struct Replay {
  bool active = false;
  Recording recording;
  size_t game = 0;   // the game being played
  size_t frame = 0;  // its next frame
  ReplayEnd end = ReplayEnd::EndGame;
  bool exitAfter = false;
};

Recorder recorder;
Replay replay;

bool InGame() {
  return shell.screenState == ScreenState::Play || shell.screenState == ScreenState::AllClear;
}

// Writes a line and pushes it to the file at once; a failed write stops the
// recording with one message rather than losing lines quietly.
void WriteLine(const std::string& line) {
  if (recorder.file == nullptr) return;
  if (std::fputs(line.c_str(), recorder.file) < 0 || std::fflush(recorder.file) != 0) {
    std::fprintf(stderr, "vantomir: recording stopped, cannot write %s: %s\n", recorder.path.c_str(),
                 std::strerror(errno));
    std::fclose(recorder.file);
    recorder.file = nullptr;
    recorder.gameOpen = false;
  }
}

void WriteGameEnd() {
  if (!recorder.gameOpen) return;
  const GameState& g = world.game;
  WriteLine(RecordingEndLine(g.score, g.lives, g.level, recorder.frames));
  recorder.gameOpen = false;
}

void StartReplayedGame() {
  const RecordedGame& game = replay.recording.games[replay.game];
  replay.frame = 0;
  StartGameWith(game.seed, GameStart{game.level, game.score, game.lives});
}

}  // namespace

bool StartRecording(const std::string& path, std::string* error) {
  StopRecording();
  recorder.file = std::fopen(path.c_str(), "w");
  if (recorder.file == nullptr) {
    *error = "cannot write the recording " + path + ": " + std::strerror(errno);
    return false;
  }
  recorder.path = path;
  WriteLine(RecordingHeaderLine());
  return recorder.file != nullptr;
}

void StopRecording() {
  if (recorder.file == nullptr) return;
  WriteGameEnd();
  if (recorder.file != nullptr) std::fclose(recorder.file);
  recorder = Recorder{};
}

void NoteGameStarted(int32_t seed, const GameStart& start) {
  if (recorder.file == nullptr || replay.active) return;
  WriteGameEnd();
  RecordedGame game;
  game.seed = seed;
  game.level = start.level;
  game.score = start.score;
  game.lives = start.lives;
  game.mouseSens = settings.mouseSens;
  game.joystick = settings.joystick;
  recorder.gameOpen = true;
  recorder.frames = 0;
  WriteLine(RecordingGameLine(game));
}

void StartReplay(Recording recording, ReplayEnd end, bool exitAfter) {
  replay = Replay{true, std::move(recording), 0, 0, end, exitAfter};
  if (replay.recording.games.empty()) {
    FinishReplayedGame();
    return;
  }
  StartReplayedGame();
}

bool Replaying() { return replay.active; }

void StopReplay() { replay = Replay{}; }

PlayInput TakePlayInput() {
  if (shell.demoMode) return DemoInput(shell.demoIndex);
  if (replay.active) {
    const std::vector<PlayInput>& frames = replay.recording.games[replay.game].frames;
    const size_t f = replay.frame++;
    return f < frames.size() ? frames[f] : PlayInput{};
  }
  const PlayInput in = ReadGameInput();
  if (recorder.gameOpen) {
    ++recorder.frames;
    WriteLine(RecordingFrameLine(in));
  }
  return in;
}

void FollowGames() {
  if (recorder.gameOpen && !InGame()) WriteGameEnd();
  if (replay.active && replay.end == ReplayEnd::EndGame && shell.screenState == ScreenState::Play &&
      replay.frame >= replay.recording.games[replay.game].frames.size()) {
    // The recording stops where the player stopped (Escape, or the program
    // was closed): so does the game.
    ClearAllEntities();
    StopAllSounds();
    FinishReplayedGame();
  }
}

bool FinishReplayedGame() {
  if (!replay.active) return false;
  if (++replay.game < replay.recording.games.size()) {
    StartReplayedGame();
    return true;
  }
  const bool exitAfter = replay.exitAfter;
  replay = Replay{};
  shell.screenTimer = 0;
  shell.screenState = exitAfter ? ScreenState::Exit : ScreenState::Title;
  return true;
}
