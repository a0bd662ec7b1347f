// vantomir-tool play: one game (or demonstration) run by the game's own code,
// headless, with one JSON line of state per frame.
//
// Each frame is a pass of the main loop without the picture: the devices are
// read, the Play (or AllClear) screen runs, and the recorder and the replay
// follow the game. The run stops after N frames or with the frame in which
// the game leaves Play and AllClear.
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <optional>

#include "audio/music.h"
#include "input/input.h"
#include "persist/settings.h"
#include "platform/display.h"
#include "platform/headless.h"
#include "recording/format.h"
#include "recording/replay.h"
#include "shell/shell.h"
#include "tools/vantomir_tool/args.h"
#include "tools/vantomir_tool/commands.h"
#include "tools/vantomir_tool/trace.h"
#include "world/fnv.h"
#include "world/game.h"
#include "world/world.h"

namespace {

namespace headless = platform::headless;

const char* kHelp =
    "usage: vantomir-tool play [--seed S] [--level L] [--score SC] [--lives LV] [--demo D]\n"
    "                          [--input FILE | --pointer FILE [--mousesens K]]\n"
    "                          [--replay FILE [--game G]] --frames N [--quiet]\n\n"
    "Plays one game with the game's own code, headless, and prints one JSON line of\n"
    "state after each frame. It stops after N frames or with the frame in which the\n"
    "game leaves the Play and AllClear screens.\n\n"
    "  --seed S         seed of a player's game (the title's frame count), default 1\n"
    "  --level L        start level 1..21 (default 1)\n"
    "  --score SC       start score (default 0)\n"
    "  --lives LV       start lives (default 3)\n"
    "  --demo D         demonstration D (0..2) with its embedded recording, or with\n"
    "                   --input's file as its recording\n"
    "  --input FILE     lines of 'inputVX inputVY fireHeld'; line k (from 0) replaces\n"
    "                   the input of frame k + 1, as a demonstration's recording does;\n"
    "                   missing lines mean 0 0 0; '#' lines are ignored\n"
    "  --pointer FILE   lines of 'pointerX pointerY leftButton [rightButton]': the\n"
    "                   devices the main loop reads in each frame\n"
    "  --mousesens K    mouse sensitivity 0..10 for --pointer (default 3)\n"
    "  --replay FILE    a recording made with 'vantomir --record FILE'\n"
    "  --game G         which game of the recording, from 1 (default 1)\n"
    "  --frames N       the most frames to run\n"
    "  --quiet          print only a summary line\n\n"
    "Each line: frame (from 1), screen, the player and game state, the ten list\n"
    "lengths, hash (FNV-1a of the lists, see README) and sounds (the slots played).\n"
    "The summary: frames, score, lives, level, hash, traceHash (FNV-1a over every\n"
    "frame's hash) and frames per second.\n";

struct PlayOptions {
  int64_t frames = -1;
  int32_t seed = 1;
  std::optional<int32_t> level, score, lives, demo;
  int32_t mouseSens = 3;
  int32_t game = 1;
  std::string input, pointer, replay;
  bool quiet = false;
};

struct PointerState {
  int x = 320, y = 240;
  bool left = false, right = false;
};

// Whole-number lines of 3 or 4 values (the fourth optional when optional4).
bool ReadNumberLines(const std::string& path, bool optional4, std::vector<std::vector<int64_t>>* lines,
                     std::string* error) {
  std::vector<FileLine> text;
  if (!ReadFileLines(path, &text, error)) return false;
  for (const FileLine& line : text) {
    std::vector<int64_t> values;
    bool ok = line.words.size() >= 3 && line.words.size() <= (optional4 ? 4u : 3u);
    for (const std::string& word : line.words) {
      auto v = ParseInteger(word, -32767, 32767);
      ok = ok && v.has_value();
      values.push_back(v.value_or(0));
    }
    if (!ok) {
      *error = LineError(path, line,
                         std::string("expected ") + (optional4 ? "3 or 4" : "3") + " whole numbers (-32767..32767)");
      return false;
    }
    lines->push_back(std::move(values));
  }
  return true;
}

bool ReadInputFile(const std::string& path, std::vector<PlayInput>* frames, std::string* error) {
  std::vector<std::vector<int64_t>> lines;
  if (!ReadNumberLines(path, false, &lines, error)) return false;
  for (const auto& v : lines) {
    if (v[2] != 0 && v[2] != 1) {
      *error = path + ": fireHeld must be 0 or 1";
      return false;
    }
    frames->push_back(PlayInput{int32_t(v[0]), int32_t(v[1]), int32_t(v[2]), 0, 0});
  }
  return true;
}

bool ReadPointerFile(const std::string& path, std::vector<PointerState>* states, std::string* error) {
  std::vector<std::vector<int64_t>> lines;
  if (!ReadNumberLines(path, true, &lines, error)) return false;
  for (const auto& v : lines) {
    states->push_back(PointerState{int(v[0]), int(v[1]), v[2] != 0, v.size() == 4 && v[3] != 0});
  }
  return true;
}

bool ParseOptions(const Args& args, PlayOptions* o, int* exitCode) {
  auto fail = [exitCode](const std::string& message) {
    *exitCode = UsageError("play", message);
    return false;
  };
  OptionReader options("play", kHelp, args);
  while (options.Next({"--quiet"})) {
    const std::string& a = options.Name();
    const std::string& v = options.Value();
    auto number = [&](int64_t min, int64_t max) -> std::optional<int32_t> {
      if (auto n = options.Number(min, max)) return static_cast<int32_t>(*n);
      return std::nullopt;
    };
    std::optional<int32_t> n;
    if (a == "--quiet") {
      o->quiet = true;
    } else if (a == "--frames") {
      if ((n = number(0, INT32_MAX))) o->frames = *n;
    } else if (a == "--seed") {
      if ((n = number(INT32_MIN, INT32_MAX))) o->seed = *n;
    } else if (a == "--level") {
      o->level = number(1, 21);
    } else if (a == "--score") {
      o->score = number(0, 9999999);
    } else if (a == "--lives") {
      o->lives = number(0, 1000);
    } else if (a == "--demo") {
      o->demo = number(0, 2);
    } else if (a == "--mousesens") {
      if ((n = number(0, 10))) o->mouseSens = *n;
    } else if (a == "--game") {
      if ((n = number(1, INT32_MAX))) o->game = *n;
    } else if (a == "--input") {
      o->input = v;
    } else if (a == "--pointer") {
      o->pointer = v;
    } else if (a == "--replay") {
      o->replay = v;
    } else {
      options.Unknown();
    }
  }
  if (options.Stopped(exitCode)) return false;
  if (o->frames < 0) return fail("--frames N is required");
  if (!o->input.empty() && !o->pointer.empty()) return fail("--input and --pointer exclude each other");
  if (o->demo && (o->level || o->score || o->lives)) {
    return fail("a demonstration starts from its own level, score and lives");
  }
  if (!o->replay.empty() && (o->demo || !o->input.empty() || o->level || o->score || o->lives)) {
    return fail("--replay plays a recorded game as it was: no --demo, --input or start values with it");
  }
  return true;
}

// One pass of the main loop without the picture.
void RunFrame(const PointerState* pointer) {
  if (pointer != nullptr) {
    headless::PlacePointer(pointer->x, pointer->y);
    headless::SetMouseButton(platform::MouseButton::Left, pointer->left);
    headless::SetMouseButton(platform::MouseButton::Right, pointer->right);
  }
  platform::PumpEvents();
  ReadPointer();
  ReadKeyboard();
  RunGameFrame();
}

}  // namespace

int PlayCommand(const Args& args) {
  PlayOptions o;
  int exitCode = 0;
  if (!ParseOptions(args, &o, &exitCode)) return exitCode;

  std::string error;
  std::vector<PlayInput> inputFrames;
  std::vector<PointerState> pointerStates;
  std::optional<Recording> recording;
  if (!o.input.empty() && !ReadInputFile(o.input, &inputFrames, &error)) {
    std::fprintf(stderr, "vantomir-tool play: %s\n", error.c_str());
    return 1;
  }
  if (o.demo && inputFrames.size() > 1201) {
    std::fprintf(stderr, "vantomir-tool play: %s: a demonstration's recording holds at most 1201 frames\n",
                 o.input.c_str());
    return 1;
  }
  if (!o.pointer.empty() && !ReadPointerFile(o.pointer, &pointerStates, &error)) {
    std::fprintf(stderr, "vantomir-tool play: %s\n", error.c_str());
    return 1;
  }
  if (!o.replay.empty()) {
    recording = ReadRecordingFile(o.replay, &error);
    if (!recording) {
      std::fprintf(stderr, "vantomir-tool play: %s\n", error.c_str());
      return 1;
    }
    if (static_cast<size_t>(o.game) > recording->games.size()) {
      std::fprintf(stderr, "vantomir-tool play: %s holds %zu game(s), not %d\n", o.replay.c_str(),
                   recording->games.size(), o.game);
      return 1;
    }
  }

  headless::Reset();
  SetMusicDriver(MusicDriver::Caller);
  if (StartUp() != StartUpResult::Ready) return 1;
  // The same game wherever the tool runs: the settings of a fresh install,
  // with the chosen sensitivity, and no tune to render.
  settings = Settings{};
  settings.mouseSens = o.mouseSens;
  settings.music = 0;
  RunPass();  // one title frame: the graphics are built as in the game
  StartWatchingSounds();

  if (o.demo) {
    if (!o.input.empty()) {
      for (int f = 0; f <= 1200; ++f) {
        const PlayInput in = f < static_cast<int>(inputFrames.size()) ? inputFrames[f] : PlayInput{};
        demoInput[*o.demo][f][0] = static_cast<int16_t>(in.inputVX);
        demoInput[*o.demo][f][1] = static_cast<int16_t>(in.inputVY);
        demoInput[*o.demo][f][2] = static_cast<int16_t>(in.fireHeld);
      }
    }
    shell.demoIndex = *o.demo;
    StartGame(true);
  } else if (recording) {
    Recording one;
    one.games.push_back(std::move(recording->games[o.game - 1]));
    StartReplay(std::move(one), ReplayEnd::EndGame, ReplayExit::Title);
  } else {
    const GameStart start{o.level.value_or(kPlayerStart.level), o.score.value_or(kPlayerStart.score),
                          o.lives.value_or(kPlayerStart.lives)};
    if (!o.input.empty()) {
      Recording scripted;
      scripted.games.push_back(RecordedGame{o.seed, start.level, start.score, start.lives, o.mouseSens, 0,
                                            std::move(inputFrames)});
      StartReplay(std::move(scripted), ReplayEnd::ZeroInput, ReplayExit::Title);
    } else {
      StartGameWith(o.seed, start);
    }
  }
  TakePlayedSounds();  // the start of a game is not a frame

  uint64_t traceHash = kFnvBasis;
  int64_t frame = 0;
  const auto began = std::chrono::steady_clock::now();
  while (frame < o.frames && InGame()) {
    const PointerState* pointer =
        static_cast<size_t>(frame) < pointerStates.size() ? &pointerStates[frame] : nullptr;
    RunFrame(pointer);
    ++frame;
    traceHash = FeedFnv(traceHash, HashEntityLists(world), 8);
    const std::vector<int32_t> sounds = TakePlayedSounds();
    if (!o.quiet) {
      std::printf("{\"frame\":%" PRId64 ",\"screen\":\"%s\",%s,\"sounds\":%s}\n", frame,
                  ScreenStateName(shell.screenState), GameStateFields().c_str(), SoundsField(sounds).c_str());
    }
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
  if (o.quiet) {
    const GameState& g = world.game;
    std::printf("{\"frames\":%" PRId64 ",\"score\":%d,\"lives\":%d,\"level\":%d,\"hash\":\"%s\","
                "\"traceHash\":\"%s\",\"fps\":%.0f}\n",
                frame, g.score, g.lives, g.level, HashText(HashEntityLists(world)).c_str(),
                HashText(traceHash).c_str(), seconds > 0 ? frame / seconds : 0.0);
  }
  StopWatchingSounds();
  StopReplay();
  ShutDown(StartUpResult::Ready, false);
  return 0;
}
