//-----------------------------------------------------------------------------
// The soak run.
//
// Every pass, unless it is keeping still, the player acts with a chance of
// one in four: an action drawn by weight from kActions, each of which sends
// headless input now and may schedule more (a release, the focus coming
// back). New kinds of input are one more row of kActions.
//
// The title, menus, games and name entries come from pointing at menu items
// and clicking; demonstrations from keeping still on the title for longer
// than 15 seconds. The loop ends when EXIT or Escape is chosen on the title:
// the program is then shut down and started again in the same directory, as
// a player starting it anew would (reading back the settings file it wrote).
//-----------------------------------------------------------------------------
#include "tools/vantomir_tool/soak.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <functional>
#include <vector>

#include "audio/music.h"
#include "input/input.h"
#include "levels/random.h"
#include "persist/high_score_table.h"
#include "persist/screenshot.h"
#include "persist/settings.h"
#include "platform/headless.h"
#include "render/display.h"
#include "shell/high_scores.h"
#include "shell/shell.h"
#include "world/world.h"

namespace {

namespace headless = platform::headless;

// The soak's own generator (splitmix64): the game's is never touched.
class SoakRandom {
 public:
  explicit SoakRandom(uint64_t seed) : state_(seed) {}
  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // lo..hi inclusive.
  int Between(int lo, int hi) { return lo + static_cast<int>(Next() % static_cast<uint64_t>(hi - lo + 1)); }
  bool OneIn(int n) { return Next() % static_cast<uint64_t>(n) == 0; }

 private:
  uint64_t state_;
};

struct Soak {
  SoakRandom random;
  SoakReport& report;
  int64_t pass = 0;
  int64_t stillUntil = -1;  // no new action before this pass
  std::array<bool, 64> taken{};  // which actions of kActions have come at least once
  struct Scheduled {
    int64_t pass;
    std::function<void()> send;
  };
  std::vector<Scheduled> scheduled;

  void At(int64_t when, std::function<void()> send) { scheduled.push_back({when, std::move(send)}); }
  // Sends what is due; what that schedules waits for a later pass.
  void SendDue() {
    std::vector<Scheduled> due;
    for (size_t i = 0; i < scheduled.size();) {
      if (scheduled[i].pass <= pass) {
        due.push_back(std::move(scheduled[i]));
        scheduled.erase(scheduled.begin() + static_cast<std::ptrdiff_t>(i));
      } else {
        ++i;
      }
    }
    for (Scheduled& d : due) d.send();
  }
};

//-----------------------------------------------------------------------------
// The actions
//-----------------------------------------------------------------------------

// Text cells worth choosing on each menu screen, in the menus' 8-pixel cells
// of the 256 x 224 playfield: a row and its columns.
struct MenuItem {
  ScreenState screen;
  int row, firstColumn, lastColumn;
};
constexpr MenuItem kMenuItems[] = {
    {ScreenState::Title, 13, 13, 17},      {ScreenState::Title, 16, 12, 18},      // START, OPTIONS
    {ScreenState::Title, 19, 13, 18},      {ScreenState::Title, 22, 14, 17},      // SCORES, EXIT
    {ScreenState::Options, 3, 16, 23},     {ScreenState::Options, 5, 16, 23},     // SMOOTHING, STRETCH
    {ScreenState::Options, 7, 16, 26},     {ScreenState::Options, 9, 16, 23},     // SCANLINES, TRAILS
    {ScreenState::Options, 11, 16, 23},    {ScreenState::Options, 15, 16, 26},    // FORCE 60HZ, VOLUME
    {ScreenState::Options, 17, 16, 23},    {ScreenState::Options, 21, 16, 26},    // MUSIC, MOUSE SENS
    {ScreenState::Options, 23, 16, 23},    {ScreenState::Options, 26, 25, 28},    // JOYSTICK, BACK
    {ScreenState::Scores, 24, 24, 27},                                            // BACK
    {ScreenState::NameEntry, 19, 8, 23},   {ScreenState::NameEntry, 20, 8, 23},   // the character grid
    {ScreenState::NameEntry, 21, 8, 23},   {ScreenState::NameEntry, 22, 8, 23},
    {ScreenState::NameEntry, 24, 19, 21},  {ScreenState::NameEntry, 24, 23, 25},  // DEL, END
};

void Tap(Soak& s, std::function<void(bool)> press, int shortest, int longest) {
  press(true);
  s.At(s.pass + s.random.Between(shortest, longest), [press] { press(false); });
}

void Left(bool down) { headless::SetMouseButton(platform::MouseButton::Left, down); }

void Nudge(Soak& s) { headless::MovePointer(s.random.Between(-40, 40), s.random.Between(-30, 30)); }
void Sweep(Soak& s) { headless::MovePointer(s.random.Between(-400, 400), s.random.Between(-300, 300)); }
void Centre(Soak&) { headless::PlacePointer(320, 240); }

void Click(Soak& s) { Tap(s, Left, 1, 8); }
void HoldFire(Soak& s) { Tap(s, Left, 20, 400); }
void RightClick(Soak& s) {
  Tap(s, [](bool down) { headless::SetMouseButton(platform::MouseButton::Right, down); }, 1, 8);
}

// Points at an item of the screen on show (any item in a game) and clicks
// it a moment later.
void ChooseMenuItem(Soak& s) {
  const MenuItem* items[std::size(kMenuItems)];
  size_t count = 0;
  for (const MenuItem& item : kMenuItems) {
    if (item.screen == shell.screenState || shell.screenState == ScreenState::Play) items[count++] = &item;
  }
  if (count == 0) return;
  const MenuItem& item = *items[s.random.Next() % count];
  const int column = s.random.Between(item.firstColumn, item.lastColumn);
  // The pixel whose menu cell is (column, row): menuX = x * 256 / 640,
  // menuY = y * 224 / 480.
  headless::PlacePointer((8 * column + 4) * 5 / 2, (8 * item.row + 4) * 15 / 7);
  s.At(s.pass + s.random.Between(1, 3), [&s] { Click(s); });
}

// Long on the title, where a demonstration starts after 15 seconds and runs
// for 20 unless it is interrupted; a moment anywhere else.
void KeepStill(Soak& s) {
  const bool title = shell.screenState == ScreenState::Title;
  s.stillUntil = s.pass + (title ? s.random.Between(100, 2500) : s.random.Between(10, 300));
}

void MoveStick(Soak& s) { headless::SetStick(s.random.Between(0, 65535), s.random.Between(0, 65535)); }
void CentreStick(Soak&) { headless::SetStick(32767, 32767); }
void JoystickButton(Soak& s) {
  const int button = s.random.Between(0, 3);
  Tap(s, [button](bool down) { headless::SetJoystickButton(button, down); }, 1, 30);
}

void Escape(Soak& s) { Tap(s, [](bool down) { headless::SetKey(platform::Key::Escape, down); }, 1, 4); }
void Pause(Soak& s) { Tap(s, [](bool down) { headless::SetKey(platform::Key::Pause, down); }, 1, 4); }

// One of the steering keys, or the fire key, held for a while.
void HoldKey(Soak& s) {
  using platform::Key;
  static constexpr Key kKeys[] = {Key::Left, Key::Right, Key::Up, Key::Down, Key::Fire};
  const Key key = kKeys[s.random.Between(0, 4)];
  Tap(s, [key](bool down) { headless::SetKey(key, down); }, 5, 200);
}

// Typing on the name entry (or anywhere): a few characters, Backspace or Return.
void Type(Soak& s) {
  static const char* const kTexts[] = {"a", "Z", "9", " ", "-_", "abcdefghij", "{~"};
  headless::TypeText(kTexts[s.random.Between(0, 6)]);
}
void EditKey(Soak& s) {
  const platform::Key key = s.random.OneIn(2) ? platform::Key::Backspace : platform::Key::Return;
  Tap(s, [key](bool down) { headless::SetKey(key, down); }, 1, 4);
}
void OtherKey(Soak&) { headless::PressOtherKey(); }

void PlugPad(Soak& s) { headless::SetJoystickConnected(s.random.OneIn(2)); }
void PadStart(Soak& s) { Tap(s, [](bool down) { headless::SetJoystickStart(down); }, 1, 4); }
void Screenshot(Soak& s) { Tap(s, [](bool down) { headless::SetKey(platform::Key::F12, down); }, 1, 4); }
void LoseFocus(Soak& s) {
  ++s.report.focusLosses;
  headless::SetFocus(false);
  s.At(s.pass + s.random.Between(1, 120), [] { headless::SetFocus(true); });
}

struct Action {
  const char* name;
  int weight;
  void (*act)(Soak&);
};

const Action kActions[] = {
    {"nudge the pointer", 400, Nudge},
    {"sweep the pointer", 40, Sweep},
    {"centre the pointer", 30, Centre},
    {"choose a menu item", 60, ChooseMenuItem},
    {"click", 120, Click},
    {"hold fire", 40, HoldFire},
    {"right click", 10, RightClick},
    {"keep still", 12, KeepStill},
    {"move the stick", 20, MoveStick},
    {"centre the stick", 10, CentreStick},
    {"joystick button", 10, JoystickButton},
    {"escape", 1, Escape},
    {"pause", 3, Pause},
    {"hold a steering or fire key", 20, HoldKey},
    {"type", 10, Type},
    {"backspace or return", 4, EditKey},
    {"another key", 2, OtherKey},
    {"plug or unplug the pad", 2, PlugPad},
    {"pad start", 1, PadStart},
    {"screenshot", 1, Screenshot},
    {"lose the focus", 2, LoseFocus},
};

bool AllActionsTaken(const Soak& s) {
  for (size_t i = 0; i < std::size(kActions); ++i) {
    if (!s.taken[i]) return false;
  }
  return true;
}

void Act(Soak& s) {
  if (s.pass < s.stillUntil || !s.random.OneIn(4)) return;
  int total = 0;
  for (const Action& a : kActions) total += a.weight;
  int pick = s.random.Between(0, total - 1);
  for (size_t i = 0; i < std::size(kActions); ++i) {
    const Action& a = kActions[i];
    if (pick < a.weight) {
      a.act(s);
      s.taken[i] = true;
      return;
    }
    pick -= a.weight;
  }
}

//-----------------------------------------------------------------------------
// Measures
//-----------------------------------------------------------------------------

// Pass times in 0.1 ms steps up to 100 ms, the rest in the last.
class PassTimes {
 public:
  void Add(double ms) { ++counts_[std::min<size_t>(static_cast<size_t>(ms * 10), counts_.size() - 1)]; }
  double Percentile(double p) const {
    int64_t total = 0;
    for (int64_t c : counts_) total += c;
    const auto wanted = static_cast<int64_t>(p * static_cast<double>(total));
    int64_t seen = 0;
    for (size_t i = 0; i < counts_.size(); ++i) {
      seen += counts_[i];
      if (seen > wanted) return static_cast<double>(i + 1) / 10;  // the step's upper edge
    }
    return 0;
  }

 private:
  std::array<int64_t, 1001> counts_{};
};

bool ListsEmpty() {
  const World& w = world;
  return w.PlayerShots.Empty() && w.Carriers.Empty() && w.ScoreLabels.Empty() && w.Sparks.Empty() &&
         w.Explosions.Empty() && w.Creatures.Empty() && w.Swarmers.Empty() && w.Pods.Empty() && w.Debris.Empty() &&
         w.EnemyBullets.Empty();
}

uint64_t Mix(uint64_t h, const void* data, size_t size) {
  const auto* bytes = static_cast<const unsigned char*>(data);
  for (size_t i = 0; i < size; ++i) h = (h ^ bytes[i]) * 1099511628211ull;
  return h;
}

template <typename Record>
uint64_t MixList(uint64_t h, const EntityList<Record>& list) {
  list.ForEach([&h](const Record& r) { h = Mix(h, &r, sizeof r); });
  const int32_t size = list.Size();
  return Mix(h, &size, sizeof size);
}

// The input of a pass, field by field: its typed text is a std::string,
// whose bytes hold an address that differs from run to run.
uint64_t MixInput(uint64_t h, const InputState& in) {
  constexpr int32_t InputState::*kFields[] = {
      &InputState::pointerX,      &InputState::pointerY,        &InputState::leftDown,
      &InputState::rightDown,     &InputState::pointerMoved,    &InputState::escapeDown,
      &InputState::snapDown,      &InputState::pauseDown,       &InputState::leftKey,
      &InputState::rightKey,      &InputState::upKey,           &InputState::downKey,
      &InputState::fireKey,       &InputState::returnDown,      &InputState::backspaceDown,
      &InputState::otherKeyPressed, &InputState::keyboardSteering, &InputState::joyX,
      &InputState::joyY,          &InputState::joyXMax,         &InputState::joyYMax,
      &InputState::joyStart,      &InputState::joyConnected};
  for (int32_t InputState::*field : kFields) h = Mix(h, &(in.*field), sizeof(int32_t));
  h = Mix(h, &in.joyButtons, sizeof in.joyButtons);
  return Mix(h, in.typed.data(), in.typed.size());
}

// The game's state: the world, the generator, the screens, the settings, the
// input of the last pass and the high-score table.
uint64_t Digest() {
  const World& w = world;
  uint64_t h = 1469598103934665603ull;
  h = MixList(h, w.PlayerShots);
  h = MixList(h, w.Carriers);
  h = MixList(h, w.ScoreLabels);
  h = MixList(h, w.Sparks);
  h = MixList(h, w.Explosions);
  h = MixList(h, w.Creatures);
  h = MixList(h, w.Swarmers);
  h = MixList(h, w.Pods);
  h = MixList(h, w.Debris);
  h = MixList(h, w.EnemyBullets);
  h = Mix(h, &w.powerUp, sizeof w.powerUp);
  h = Mix(h, &w.game, sizeof w.game);
  h = Mix(h, &w.levelSettings, sizeof w.levelSettings);
  h = Mix(h, &w.soundTurns, sizeof w.soundTurns);
  h = Mix(h, &rng, sizeof rng);
  Shell screens = shell;
  screens.musicStream = 0;  // a handle of the sound device, not the game's
  h = Mix(h, &screens, sizeof screens);
  h = Mix(h, &settings, sizeof settings);
  h = MixInput(h, input);
  for (int i = 1; i <= 8; ++i) {
    h = Mix(h, highScores.hsNames[i].data(), highScores.hsNames[i].size());
    h = Mix(h, &highScores.hsScores[i], sizeof(int32_t));
  }
  return h;
}

double ThreadCpuMs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

StartUpResult Start() {
  headless::Reset();
  ResetDisplayServices();
  // The tune is rendered pass by pass as the sound device takes it, not by a
  // thread racing the clock: the run is the same every time.
  SetMusicDriver(MusicDriver::Caller);
  return StartUp();
}

}  // namespace

int64_t ResidentKb() {
  std::FILE* f = std::fopen("/proc/self/statm", "r");
  if (f == nullptr) return 0;
  long size = 0, resident = 0;
  const bool read = std::fscanf(f, "%ld %ld", &size, &resident) == 2;
  std::fclose(f);
  return read ? resident * (sysconf(_SC_PAGESIZE) / 1024) : 0;
}

SoakReport RunSoak(const SoakOptions& options, void (*progress)(const SoakReport&)) {
  SoakReport report;
  Soak s{SoakRandom(options.seed), report};
  PassTimes times;
  StartUpResult started = Start();
  if (started != StartUpResult::Ready) return report;
  ScreenState before = shell.screenState;
  int32_t snaps = snapCounter;
  for (s.pass = 0; s.pass < options.passes; ++s.pass) {
    s.SendDue();
    Act(s);
    const GraphicsState graphics = shell.graphicsState;
    const double cpuStart = ThreadCpuMs();
    const auto start = std::chrono::steady_clock::now();
    const bool going = RunPass();
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    const double cpuMs = ThreadCpuMs() - cpuStart;
    ServiceSong();
    ++report.passes;
    const ScreenState now = shell.screenState;

    times.Add(ms);
    if (ms > 16) ++report.passesOver16Ms;
    if (cpuMs > 16) ++report.passesOver16MsCpu;
    report.worstPassCpuMs = std::max(report.worstPassCpuMs, cpuMs);
    const SoakReport::Pass p{s.pass, ms, cpuMs, static_cast<int>(before), static_cast<int>(now),
                             graphics == GraphicsState::NeedsBuild && shell.graphicsState == GraphicsState::Built};
    auto& worst = report.worstPasses;
    if (ms > worst.back().wallMs) {
      worst.back() = p;
      std::sort(worst.begin(), worst.end(), [](const auto& a, const auto& b) { return a.wallMs > b.wallMs; });
    }

    ++report.screenPasses[static_cast<size_t>(before)];
    if (now != before) {
      if (before == ScreenState::Title && now == ScreenState::Play) {
        if (shell.demoMode) {
          ++report.demonstrations;
        } else {
          ++report.games;
          // A head start into the high-score table: every game that scores
          // at all ends in the name entry.
          for (int i = 1; i <= 8; ++i) highScores.hsScores[i] = 0;
        }
      }
      if (before == ScreenState::Play && world.game.gameOverTimer == 180) ++report.gameOvers;
      if (now == ScreenState::NameEntry) ++report.nameEntries;
      if (now == ScreenState::AllClear) ++report.allClears;
    }
    if (now != ScreenState::Play && now != ScreenState::AllClear && !ListsEmpty()) ++report.listsNotEmpty;
    if (snapCounter != snaps) {
      // Screenshots are counted and thrown away: a long run would fill the disk.
      char name[32];
      std::snprintf(name, sizeof name, "snap%06d.bmp", snapCounter);
      std::remove(name);
      report.screenshots += snapCounter - snaps;
      snaps = snapCounter;
    }
    before = now;

    if (!going) {
      ShutDown(started);
      s.scheduled.clear();
      ++report.restarts;
      started = Start();
      if (started != StartUpResult::Ready) break;
      before = shell.screenState;
      snaps = snapCounter;
    }

    // Resident memory from the end of the warm-up on, every 100 passes. The
    // warm-up lasts until every kind of input has come at least once, so that
    // the memory of a first screenshot or a first pause is not counted as
    // growth (nor the allocator's keeping such large blocks afterwards).
    const int64_t done = s.pass + 1;
    if (done % 100 == 0 && done >= options.warmUp) {
      const int64_t rss = ResidentKb();
      if (report.warmUpEnd < 0 && AllActionsTaken(s)) {
        report.warmUpEnd = done;
        report.rssAfterWarmUpKb = rss;
      }
      if (report.warmUpEnd >= 0) report.rssMaxAfterWarmUpKb = std::max(report.rssMaxAfterWarmUpKb, rss);
    }
    if (progress != nullptr && done % 100000 == 0) progress(report);
  }
  report.rssEndKb = ResidentKb();
  if (report.warmUpEnd >= 0) {
    report.rssMaxAfterWarmUpKb = std::max(report.rssMaxAfterWarmUpKb, report.rssEndKb);
  }
  report.p50Ms = times.Percentile(0.5);
  report.p99Ms = times.Percentile(0.99);
  report.p999Ms = times.Percentile(0.999);
  report.digest = Digest();
  ShutDown(started);
  return report;
}
