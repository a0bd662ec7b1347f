// vantomir-tool run: the real main loop, headless, from start-up to shutdown.
//
// Input comes from a script of one event a line:
//   <pass> move DX DY          relative pointer motion
//   <pass> pointer X Y         pointer placed at X, Y
//   <pass> down|up BUTTON      mouse buttons left, right; keys escape, f12,
//                              pause, arrowleft, arrowright, arrowup,
//                              arrowdown, fire, return, backspace,
//                              stepforward, stepback; pad
//                              buttons joyN (N = 0..31) and start
//   <pass> type TEXT           text typed (the rest of the line)
//   <pass> key                 a key that is none of the game's own
//   <pass> stick X Y           joystick axes, 0..65535 each
//   <pass> pad off|on          the pad is unplugged or plugged in
//   <pass> focus off|on        the window loses or regains the focus
// Blank lines and lines starting with # are ignored. Events of pass P reach
// the game at the start of pass P, as if they had happened just before it.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <sstream>

#include "audio/music.h"
#include "input/input.h"
#include "persist/bmp.h"
#include "platform/headless.h"
#include "render/display.h"
#include "render/graphics.h"
#include "shell/shell.h"
#include "tools/vantomir_tool/args.h"
#include "tools/vantomir_tool/commands.h"
#include "tools/vantomir_tool/trace.h"
#include "tools/vantomir_tool/wav.h"

namespace {

namespace fs = std::filesystem;
namespace headless = platform::headless;

const char* kHelp =
    "usage: vantomir-tool run --frames N [--input FILE] [--dir DIR] [--out DIR]\n"
    "                         [--snap F,F,...] [--playfield F,...] [--audio FILE.wav]\n"
    "                         [--trace FILE]\n\n"
    "Runs the game's main loop headless from start-up for N passes (fewer if the game\n"
    "ends), then shuts down as the game would.\n\n"
    "  --frames N       number of loop passes (pass numbers start at 0)\n"
    "  --input FILE     input script, one event a line:\n"
    "                     <pass> move DX DY | <pass> pointer X Y\n"
    "                     <pass> down|up BUTTON (left, right, escape, f12, pause,\n"
    "                       arrowleft, arrowright, arrowup, arrowdown, fire,\n"
    "                       return, backspace, stepforward, stepback, joyN,\n"
    "                       start)\n"
    "                     <pass> type TEXT | <pass> key\n"
    "                     <pass> stick X Y | <pass> pad off|on\n"
    "                     <pass> focus off|on\n"
    "  --dir DIR        current directory of the game (where vantomir.ini and\n"
    "                   screenshots are); default: the current directory\n"
    "  --out DIR        where frame and playfield images go; default: the current\n"
    "                   directory\n"
    "  --snap LIST      write the composed 640x480 frame of these passes as\n"
    "                   frame-NNNNNN.bmp\n"
    "  --playfield LIST write the 256x224 playfield of these passes as\n"
    "                   playfield-NNNNNN.bmp\n"
    "  --audio FILE     write the mixed sound output (44100 Hz stereo) as WAV\n"
    "  --trace FILE     write one JSON line of state per pass\n";

using Event = std::function<void()>;

struct RunOptions {
  int64_t frames = -1;
  std::string input, dir, out = ".", audio, trace;
  std::set<int64_t> snaps, playfields;
};

std::optional<platform::Key> KeyNamed(const std::string& name) {
  using platform::Key;
  static const std::map<std::string, Key> kKeys = {
      {"escape", Key::Escape},       {"f12", Key::F12},         {"pause", Key::Pause},
      {"arrowleft", Key::Left},      {"arrowright", Key::Right}, {"arrowup", Key::Up},
      {"arrowdown", Key::Down},      {"fire", Key::Fire},        {"return", Key::Return},
      {"backspace", Key::Backspace}, {"stepforward", Key::StepForward}, {"stepback", Key::StepBack},
  };
  auto it = kKeys.find(name);
  if (it == kKeys.end()) return std::nullopt;
  return it->second;
}

bool ParseButton(const std::string& name, bool down, Event* event) {
  if (name == "left" || name == "right") {
    auto button = name == "left" ? platform::MouseButton::Left : platform::MouseButton::Right;
    *event = [button, down] { headless::SetMouseButton(button, down); };
  } else if (auto key = KeyNamed(name)) {
    *event = [key = *key, down] { headless::SetKey(key, down); };
  } else if (name == "start") {
    *event = [down] { headless::SetJoystickStart(down); };
  } else if (name.rfind("joy", 0) == 0) {
    auto n = ParseInteger(name.substr(3), 0, 31);
    if (!n) return false;
    int button = static_cast<int>(*n);
    *event = [button, down] { headless::SetJoystickButton(button, down); };
  } else {
    return false;
  }
  return true;
}

// Reads the script into events by pass; on a bad line, error names it.
bool ReadScript(const std::string& path, std::multimap<int64_t, Event>* events, std::string* error) {
  std::vector<FileLine> lines;
  if (!ReadFileLines(path, &lines, error)) return false;
  for (const FileLine& fileLine : lines) {
    const std::string& line = fileLine.text;
    const std::vector<std::string>& w = fileLine.words;
    auto bad = [&](const std::string& why) {
      *error = LineError(path, fileLine, why);
      return false;
    };
    auto pass = ParseInteger(w[0], 0, INT32_MAX);
    if (!pass) return bad("the line must start with a pass number");
    if (w.size() < 2) return bad("missing event");
    const std::string& kind = w[1];
    Event event;
    if ((kind == "move" || kind == "pointer" || kind == "stick") && w.size() == 4) {
      auto a = ParseInteger(w[2], -100000, 100000);
      auto b = ParseInteger(w[3], -100000, 100000);
      if (!a || !b) return bad("expected two whole numbers");
      int x = static_cast<int>(*a), y = static_cast<int>(*b);
      if (kind == "move") event = [x, y] { headless::MovePointer(x, y); };
      if (kind == "pointer") event = [x, y] { headless::PlacePointer(x, y); };
      if (kind == "stick") event = [x, y] { headless::SetStick(x, y); };
    } else if ((kind == "down" || kind == "up") && w.size() == 3) {
      if (!ParseButton(w[2], kind == "down", &event)) return bad("unknown button or key");
    } else if (kind == "type" && w.size() >= 3) {
      const size_t start = line.find_first_not_of(" \t", line.find("type") + 4);
      const std::string text = line.substr(start);
      event = [text] { headless::TypeText(text); };
    } else if (kind == "key" && w.size() == 2) {
      event = [] { headless::PressOtherKey(); };
    } else if ((kind == "focus" || kind == "pad") && w.size() == 3 && (w[2] == "on" || w[2] == "off")) {
      bool on = w[2] == "on";
      if (kind == "focus") event = [on] { headless::SetFocus(on); };
      if (kind == "pad") event = [on] { headless::SetJoystickConnected(on); };
    } else {
      return bad("unknown event");
    }
    events->emplace(*pass, std::move(event));
  }
  return true;
}

bool ParseOptions(const Args& args, RunOptions* o, int* exitCode) {
  OptionReader options("run", kHelp, args);
  while (options.Next()) {
    const std::string& a = options.Name();
    const std::string& v = options.Value();
    if (a == "--frames") {
      if (auto n = options.Number(0, INT32_MAX)) o->frames = *n;
    } else if (a == "--snap" || a == "--playfield") {
      auto list = ParseIntegerList(v);
      if (list) {
        (a == "--snap" ? o->snaps : o->playfields).insert(list->begin(), list->end());
      } else {
        options.Fail(a + " takes pass numbers separated by commas: '" + v + "'");
      }
    } else if (a == "--input") {
      o->input = v;
    } else if (a == "--dir") {
      o->dir = v;
    } else if (a == "--out") {
      o->out = v;
    } else if (a == "--audio") {
      o->audio = v;
    } else if (a == "--trace") {
      o->trace = v;
    } else {
      options.Unknown();
    }
  }
  if (options.Stopped(exitCode)) return false;
  if (o->frames < 0) {
    *exitCode = UsageError("run", "--frames N is required");
    return false;
  }
  return true;
}

std::string Numbered(const std::string& stem, int64_t pass) {
  char name[64];
  std::snprintf(name, sizeof name, "%s-%06lld.bmp", stem.c_str(), static_cast<long long>(pass));
  return name;
}

// The loop's state after a pass and, in a game, the game's.
std::string TraceLine(int64_t pass) {
  char line[256];
  std::snprintf(line, sizeof line,
                "{\"pass\":%lld,\"screenState\":\"%s\",\"screenTimer\":%d,\"graphicsState\":%d,"
                "\"pointerX\":%d,\"pointerY\":%d,\"demoMode\":%d,\"demoIndex\":%d,\"paused\":%d",
                static_cast<long long>(pass), ScreenStateName(shell.screenState), shell.screenTimer,
                static_cast<int>(shell.graphicsState), input.pointerX, input.pointerY, shell.demoMode,
                shell.demoIndex, shell.paused);
  std::string out = line;
  if (shell.screenState == ScreenState::Play) {
    out += ',';
    out += GameStateFields();
  }
  return out + "}\n";
}

bool WriteImage(const fs::path& path, const uint32_t* pixels, int width, int height) {
  if (pixels == nullptr) return false;
  if (!WriteWholeFile(path.string(), EncodeBmp24(pixels, width, height))) {
    std::fprintf(stderr, "vantomir-tool run: cannot write %s\n", path.c_str());
    return false;
  }
  return true;
}

}  // namespace

int RunCommand(const Args& args) {
  RunOptions o;
  int exitCode = 0;
  if (!ParseOptions(args, &o, &exitCode)) return exitCode;

  std::multimap<int64_t, Event> events;
  std::string error;
  if (!o.input.empty() && !ReadScript(o.input, &events, &error)) {
    std::fprintf(stderr, "vantomir-tool run: %s\n", error.c_str());
    return 1;
  }
  // Output paths are taken from where the tool was started, before --dir.
  const fs::path out = fs::absolute(o.out);
  const fs::path audioPath = o.audio.empty() ? fs::path() : fs::absolute(o.audio);
  std::FILE* trace = nullptr;
  if (!o.trace.empty()) {
    trace = std::fopen(fs::absolute(o.trace).c_str(), "w");
    if (trace == nullptr) {
      std::fprintf(stderr, "vantomir-tool run: cannot write trace '%s'\n", o.trace.c_str());
      return 1;
    }
  }
  if (!o.dir.empty() && chdir(o.dir.c_str()) != 0) {
    std::fprintf(stderr, "vantomir-tool run: cannot enter directory '%s'\n", o.dir.c_str());
    if (trace != nullptr) std::fclose(trace);
    return 1;
  }

  headless::Reset();
  // The tune is rendered pass by pass as the sound device consumes it, not by
  // a thread racing the clock, so the audio is the same on every run.
  SetMusicDriver(MusicDriver::Caller);
  bool ok = true;
  StartUpResult started = StartUp();
  if (!audioPath.empty()) headless::StartAudioCapture();
  if (started == StartUpResult::Ready) {
    for (int64_t pass = 0; pass < o.frames; ++pass) {
      auto [first, last] = events.equal_range(pass);
      for (auto it = first; it != last; ++it) it->second();
      bool going = RunPass();
      ServiceSong();
      if (o.snaps.count(pass)) {
        ok &= WriteImage(out / Numbered("frame", pass), BackBuffer(), kScreenWidth, kScreenHeight);
      }
      if (o.playfields.count(pass)) {
        SpriteView view = ViewSprite(Playfield);
        ok &= WriteImage(out / Numbered("playfield", pass), view.pixels, view.width, view.height);
      }
      if (trace != nullptr) std::fputs(TraceLine(pass).c_str(), trace);
      if (!going) break;
    }
  }
  ShutDown(started);
  if (trace != nullptr) std::fclose(trace);
  if (!audioPath.empty()) {
    std::vector<int16_t> audio = headless::TakeCapturedAudio();
    if (!WriteWholeFile(audioPath.string(), EncodeWav16(audio, 2, 44100))) {
      std::fprintf(stderr, "vantomir-tool run: cannot write %s\n", audioPath.c_str());
      ok = false;
    }
  }
  return ok ? 0 : 1;
}
