// The whole frame of play on the heaviest scenes a player meets.
//
// Two measures per scene:
//   GameStep/SCENE    the game step alone: UpdatePlay with the frame's input;
//   WholeFrame/SCENE  what one loop pass of play costs: UpdatePlay, the Play
//                     frame's drawing (DrawPlay) and ComposeFrame.
// Budget: the whole frame within 3 ms at the 99th percentile, the step within
// 0.5 ms.
//
// A scene is a snapshot of the game (world and generator) taken once per
// process, and a window of frames played from it with a fixed input; every
// iteration is one frame, timed alone, and the snapshot is restored (untimed)
// when the window is used up. The counters p50_us, p99_us and max_us are the
// percentiles of those frame times in microseconds, and the Time column is
// their mean; when the process ends, a table of the same figures in
// milliseconds goes to stderr. The scenes:
//   treasure-burst  level 14 at its start, the ship in flight with four
//                   satellites firing at a treasure pod right in front: 256
//                   debris, many of them collected;
//   hunter-pod      level 18 likewise, firing at a hunter pod (32 hunter
//                   swarmers) with a ring pod above it, whose swarmers die
//                   in bullet rings;
//   level14         level 14 from its start, eight carriers launching, the
//                   ship flying right and firing for 20 seconds;
//   hunter-wave-6   level 21 left idle until the sixth hunter wave arrives
//                   (levelFrame 10200, 16 hunters), and 4 seconds after;
//   idle-10min      level 11 left idle for 10 minutes (36,000 frames, about
//                   830 creatures), played on for 4 seconds.
// The idle games run on past their game over, as the world goes on updating:
// the heaviest a frame can get, not a state the main loop keeps (it ends the
// game three seconds after the last life).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "audio/music.h"
#include "levels/level_progression.h"
#include "levels/random.h"
#include "platform/headless.h"
#include "render/compose.h"
#include "render/display.h"
#include "shell/shell.h"
#include "world/game.h"
#include "world/world.h"

namespace {

constexpr int32_t kSeed = 1000;  // every scene's game: the same per-game tables
constexpr PlayInput kIdle{0, 0, 0, 0, 0};
constexpr PlayInput kFire{0, 0, 1, 0, 0};
constexpr PlayInput kFlyRightFiring{0x300, 0, 1, 0, 0};

// One game step as the main loop runs it, with its drawing.
void PlayOneFrame(const PlayInput& in) {
  UpdatePlay(in);
  DrawPlay(false);
}

void PlayFrames(int frames, const PlayInput& in) {
  for (int i = 0; i < frames; ++i) PlayOneFrame(in);
}

// A new game on the given level, from its start.
void StartGameOnLevel(int32_t level) {
  NewGame(NewGameOptions{false, 0, kSeed, shell.musicStream});
  ClearAllEntities();
  world.game.level = level;
  StartLevel();
}

// The ship flying at its place after the entry run, with four satellites:
// five shots a volley.
void ShipInFlight() {
  GameState& g = world.game;
  g.deathTimer = 0;
  g.levelIntro = 0;
  g.playerX = 0x4800;
  g.playerY = 0x6C00;
  g.satellites = 4;
}

// Moves the first pod of this kind in front of the ship, or adds one there.
void PodInFront(int32_t podType, int32_t dx, int32_t dy) {
  const GameState& g = world.game;
  Pod* pod = world.Pods.First();
  while (pod != nullptr && pod->podType != podType) pod = world.Pods.Next();
  if (pod == nullptr) {
    pod = &world.Pods.Add();
    pod->podType = podType;
  }
  pod->x = g.playerX + dx;
  pod->y = g.playerY + dy;
  world.Pods.ResetPass();
}

void BuildTreasureBurst() {
  StartGameOnLevel(14);
  ShipInFlight();
  PodInFront(TreasurePod, 0x3000, -0x200);
}

// Level 18 has hunter pods but no ring pod: one is added above it.
void BuildHunterPod() {
  StartGameOnLevel(18);
  ShipInFlight();
  PodInFront(HunterPod, 0x3000, -0x200);
  PodInFront(RingPod, 0x3000, -0x1000);
}

void BuildLevel14() { StartGameOnLevel(14); }

void BuildHunterWave6() {
  StartGameOnLevel(21);
  PlayFrames(10199, kIdle);  // the next frame is levelFrame 10200
}

void BuildIdle10Minutes() {
  StartGameOnLevel(11);
  PlayFrames(36000, kIdle);
}

struct Scene {
  const char* name;
  int32_t window;    // frames played from the snapshot
  PlayInput input;   // the input of every frame of the window
  void (*build)();   // plays the game up to the start of the window
};

const Scene kScenes[] = {
    {"treasure-burst", 120, kFire, BuildTreasureBurst},
    {"hunter-pod", 120, kFire, BuildHunterPod},
    {"level14", 1200, kFlyRightFiring, BuildLevel14},
    {"hunter-wave-6", 240, kIdle, BuildHunterWave6},
    {"idle-10min", 240, kIdle, BuildIdle10Minutes},
};

// The game at the start of a scene's window.
struct Snapshot {
  World world;
  Rng rng;
};

// Start-up and the graphics once per process; each scene is played up to its
// window once, on first use.
const Snapshot& SceneSnapshot(const Scene& scene) {
  static const bool started = [] {
    platform::headless::Reset();
    SetMusicDriver(MusicDriver::Caller);
    ResetDisplayServices();
    StartUp();
    RunPass();  // builds the graphics
    return true;
  }();
  static std::map<std::string, Snapshot> snapshots;
  (void)started;
  auto found = snapshots.find(scene.name);
  if (found == snapshots.end()) {
    scene.build();
    found = snapshots.emplace(scene.name, Snapshot{world, rng}).first;
  }
  return found->second;
}

// Back to the start of the scene's window: the level's landscape, then the
// game as it was.
void Restore(const Snapshot& s) {
  if (world.game.level != s.world.game.level) {
    world.game.level = s.world.game.level;
    StartLevel();
  }
  world = s.world;
  rng = s.rng;
}

double Percentile(std::vector<double> v, double p) {
  std::sort(v.begin(), v.end());
  const size_t i = static_cast<size_t>(p * static_cast<double>(v.size() - 1) + 0.5);
  return v[std::min(i, v.size() - 1)];
}

struct Percentiles {
  double p50 = -1, p99 = -1, max = -1;  // ms; negative: not measured
};

// The figures of every scene measured, printed as one table when the
// process ends (on stderr, beside the benchmark library's own context).
struct Summary {
  std::map<std::string, std::pair<Percentiles, Percentiles>> scenes;  // step, whole frame

  ~Summary() {
    if (scenes.empty()) return;
    std::fprintf(stderr, "\nWhole frame of play, ms per frame (budget: step p99 <= 0.5, frame p99 <= 3)\n");
    std::fprintf(stderr, "%-16s %9s %9s %9s %9s %9s %9s\n", "scene", "step p50", "step p99", "step max",
                 "frame p50", "frame p99", "frame max");
    for (const Scene& scene : kScenes) {
      auto found = scenes.find(scene.name);
      if (found == scenes.end()) continue;
      std::fprintf(stderr, "%-16s", scene.name);
      for (const Percentiles& p : {found->second.first, found->second.second}) {
        for (double ms : {p.p50, p.p99, p.max}) {
          if (ms < 0) {
            std::fprintf(stderr, " %9s", "-");
          } else {
            std::fprintf(stderr, " %9.3f", ms);
          }
        }
      }
      std::fprintf(stderr, "\n");
    }
  }
} summary;

// Plays the scene's window over and over, timing the frame function alone.
template <typename Frame>
Percentiles RunScene(benchmark::State& state, const Scene& scene, Frame frame) {
  const Snapshot& snapshot = SceneSnapshot(scene);
  Restore(snapshot);
  // Entities in the fullest frame of the window, for the record.
  int32_t mostEntities = 0;
  std::vector<double> ms;
  ms.reserve(static_cast<size_t>(state.max_iterations));
  int32_t played = 0;
  for (auto _ : state) {
    if (played == scene.window) {
      Restore(snapshot);
      played = 0;
    }
    const auto start = std::chrono::steady_clock::now();
    frame(scene.input);
    const auto end = std::chrono::steady_clock::now();
    const double seconds = std::chrono::duration<double>(end - start).count();
    state.SetIterationTime(seconds);
    ms.push_back(seconds * 1000);
    ++played;
    const World& w = world;
    mostEntities = std::max(mostEntities, w.PlayerShots.Size() + w.Carriers.Size() + w.ScoreLabels.Size() +
                                              w.Sparks.Size() + w.Explosions.Size() + w.Creatures.Size() +
                                              w.Swarmers.Size() + w.Pods.Size() + w.Debris.Size() +
                                              w.EnemyBullets.Size());
  }
  const Percentiles p{Percentile(ms, 0.50), Percentile(ms, 0.99), *std::max_element(ms.begin(), ms.end())};
  state.counters["p50_us"] = p.p50 * 1000;
  state.counters["p99_us"] = p.p99 * 1000;
  state.counters["max_us"] = p.max * 1000;
  state.counters["entities"] = mostEntities;
  return p;
}

void BM_GameStep(benchmark::State& state, const Scene* scene) {
  summary.scenes[scene->name].first = RunScene(state, *scene, [](const PlayInput& in) { UpdatePlay(in); });
}

void BM_WholeFrame(benchmark::State& state, const Scene* scene) {
  summary.scenes[scene->name].second = RunScene(state, *scene, [](const PlayInput& in) {
    UpdatePlay(in);
    DrawPlay(false);
    ComposeFrame(true);
  });
}

// At least 2400 frames per measure, whole windows only.
int64_t Iterations(int32_t window) { return static_cast<int64_t>(window) * ((2400 + window - 1) / window); }

const bool registered = [] {
  for (const Scene& s : kScenes) {
    benchmark::RegisterBenchmark((std::string("GameStep/") + s.name).c_str(), BM_GameStep, &s)
        ->UseManualTime()
        ->Iterations(Iterations(s.window))
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark((std::string("WholeFrame/") + s.name).c_str(), BM_WholeFrame, &s)
        ->UseManualTime()
        ->Iterations(Iterations(s.window))
        ->Unit(benchmark::kMillisecond);
  }
  return true;
}();

}  // namespace
