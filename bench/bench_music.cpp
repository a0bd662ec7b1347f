// The XM player's render speed against the established players.
//
// For the game's tune and for real modules from Debian packages (when
// installed: heroes-sound-tracks, criticalmass-data, powermanga-data), one
// pass of each is rendered at 44100 Hz stereo by
//   XmRender/NAME    our renderer (load and render, in process),
//   Xmp/NAME         xmp -c (its default spline interpolation) to /dev/null,
//   XmpLinear/NAME   the same with linear interpolation, as ours,
//   Openmpt/NAME     openmpt123 --batch --stdout to /dev/null,
// the peers as whole processes, timed by the wall clock (the start of a
// process is a few milliseconds against renders of a tenth of a second or
// more). Modules or players that are missing are left out. The counter
// x_realtime is seconds of music per second of rendering.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "assets/embedded.h"
#include "audio/xm_player.h"

namespace {

const char* const kModules[] = {
    "/usr/share/games/heroes/mod/heroes01.xm",
    "/usr/share/games/heroes/mod/heroes02.xm",
    "/usr/share/games/heroes/mod/heroes05.xm",
    "/usr/share/games/heroes/mod/endscroll.xm",
    "/usr/share/games/criticalmass/lg-criti.xm",
    "/usr/share/games/powermanga/sounds/music_menu.zik",
    "/usr/share/games/powermanga/sounds/music_game.zik",
    "/usr/share/games/powermanga/sounds/music_congratulations.zik",
};

struct Module {
  std::string name, path;  // path empty: the embedded tune
  std::vector<uint8_t> image;
};

bool HasCommand(const char* name) {
  return std::system((std::string("command -v ") + name + " > /dev/null 2>&1").c_str()) == 0;
}

// Renders one pass; returns its frames.
int64_t RenderPass(const std::vector<uint8_t>& image) {
  static std::vector<float> out(2 * 4096);
  xm::Player player;
  if (!player.Load(image.data(), image.size(), nullptr)) return 0;
  player.SetLooping(false);
  while (player.Render(out.data(), 4096) == 4096) {
  }
  benchmark::DoNotOptimize(out.data());
  return player.FramesRendered();
}

// Seconds of music in one pass of a module, rendered once when first asked.
double PassSeconds(const Module& m) {
  static std::map<std::string, double> seconds;
  auto [it, added] = seconds.emplace(m.name, 0.0);
  if (added) it->second = double(RenderPass(m.image)) / xm::kOutputRate;
  return it->second;
}

void RunPeer(benchmark::State& state, const std::string& command, const Module& m) {
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    if (std::system(command.c_str()) != 0) {
      state.SkipWithError("the player failed");
      return;
    }
    state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  state.counters["x_realtime"] =
      benchmark::Counter(PassSeconds(m) * double(state.iterations()), benchmark::Counter::kIsRate);
}

std::string Quote(const std::string& s) { return "'" + s + "'"; }

int Register() {
  std::vector<Module> modules;
  if (const EmbeddedFile* tune = FindEmbeddedFile("vantomir.xm")) {
    modules.push_back({"vantomir.xm", "", std::vector<uint8_t>(tune->data, tune->data + tune->size)});
  }
  for (const char* path : kModules) {
    std::ifstream file(path, std::ios::binary);
    if (!file) continue;
    std::string p(path);
    modules.push_back({p.substr(p.find_last_of('/') + 1), p,
                       std::vector<uint8_t>(std::istreambuf_iterator<char>(file), {})});
  }
  const bool xmp = HasCommand("xmp"), openmpt = HasCommand("openmpt123");
  for (const Module& m : modules) {
    benchmark::RegisterBenchmark(("XmRender/" + m.name).c_str(), [m](benchmark::State& state) {
      int64_t frames = 0;
      for (auto _ : state) frames += RenderPass(m.image);
      state.counters["x_realtime"] =
          benchmark::Counter(double(frames) / xm::kOutputRate, benchmark::Counter::kIsRate);
    })->Unit(benchmark::kMillisecond);
    if (m.path.empty()) continue;  // the peers read files; the tune is inside the program
    if (xmp) {
      const std::string quiet = " > /dev/null 2>&1";
      const std::string command = "xmp -q --nocmd --norc -f 44100 -c " + Quote(m.path) + quiet;
      benchmark::RegisterBenchmark(("Xmp/" + m.name).c_str(), RunPeer, command, m)
          ->UseManualTime()->Unit(benchmark::kMillisecond);
      const std::string linear = "xmp -q --nocmd --norc -f 44100 -i linear -c " + Quote(m.path) + quiet;
      benchmark::RegisterBenchmark(("XmpLinear/" + m.name).c_str(), RunPeer, linear, m)
          ->UseManualTime()->Unit(benchmark::kMillisecond);
    }
    if (openmpt) {
      const std::string command =
          "openmpt123 --quiet --batch --stdout --samplerate 44100 " + Quote(m.path) + " > /dev/null 2>&1";
      benchmark::RegisterBenchmark(("Openmpt/" + m.name).c_str(), RunPeer, command, m)
          ->UseManualTime()->Unit(benchmark::kMillisecond);
    }
  }
  return 0;
}

const int registered = Register();

}  // namespace
