//-----------------------------------------------------------------------------
// The recording bot: lookahead over snapshots of the whole game.
//
// [SECTION] Snapshots and frames
// [SECTION] Trying a goal
// [SECTION] Recording
// [SECTION] Replaying
//-----------------------------------------------------------------------------
#include "tools/demos/recorder.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "input/input.h"
#include "levels/random.h"
#include "shell/shell.h"
#include "tools/demos/pilot.h"
#include "world/game.h"
#include "world/world.h"

namespace {

constexpr int32_t kCommitFrames = 8;   // frames a chosen goal is played before the next choice
constexpr int32_t kFollowFrames = 112;  // frames the best goal after it is tried for

// What a trial is worth: 1000 a point, a satellite as much as 4 points, a
// hit on a carrier (which bursts into fruit at the end) 0.12 of a point.
constexpr int64_t kPoint = 1000;
constexpr int64_t kSatellite = 4000;
constexpr int64_t kCarrierHit = 120;
// The world at the end of a trial counts too:
constexpr int64_t kFruitInReach = 20;  // for each frame under 48 that fruit is from the ship
constexpr int64_t kThreat = 1500;      // against, for each bullet or enemy within 20 pixels
constexpr int64_t kAway = 8;           // against, for each pixel to the nearest carrier
// A second move that goes on with the first gets a head start (the present
// goal gets the style's).
constexpr int64_t kKeepFollowing = 1500;
// A lost ship is the worst, the sooner the worse. A cleared level is as bad,
// and so is shooting down all but one carrier: the carriers bring the
// creatures, and a sky without them is dull to watch.
constexpr int64_t kLost = -(int64_t{1} << 50);
constexpr int32_t kCarriersKept = 2;

//-----------------------------------------------------------------------------
// [SECTION] Snapshots and frames
//-----------------------------------------------------------------------------

// Everything a frame of play reads or writes, and the pilot's hand.
struct Snapshot {
  World world;
  Rng rng;
  Shell shell;
  InputState input;
  Pilot pilot;
};

void Take(Snapshot& s, const Pilot& pilot) {
  s.world = world;
  s.rng = rng;
  s.shell = shell;
  s.input = input;
  s.pilot = pilot;
}

void Restore(const Snapshot& s, Pilot& pilot) {
  world = s.world;
  rng = s.rng;
  shell = s.shell;
  input = s.input;
  pilot = s.pilot;
}

// One frame: the pilot's input is written into the recording, then the game
// reads it back as the replay does. A kept frame runs the whole Play frame,
// a trial only the world's update: the drawing changes nothing the update
// reads while the level is not cleared, and a trial that clears it is
// rejected.
void PlayOneFrame(int32_t d, Pilot& pilot, bool kept) {
  const PlayInput in = Steer(pilot);
  int16_t* entry = demoInput[d][world.game.levelFrame];
  entry[0] = static_cast<int16_t>(in.inputVX);
  entry[1] = static_cast<int16_t>(in.inputVY);
  entry[2] = static_cast<int16_t>(in.fireHeld);
  if (kept) {
    PlayFrame();
  } else {
    UpdatePlay(DemoInput(d));
  }
}

//-----------------------------------------------------------------------------
// [SECTION] Trying a goal
//-----------------------------------------------------------------------------

int32_t CarrierHits() {
  int32_t hits = 0;
  world.Carriers.ForEach([&](const Carrier& c) { hits += c.hp + 1; });
  return hits;
}

// What the world at the end of a trial promises: fruit still to be caught
// near the ship, and no bullet or enemy about to hit it.
int64_t Promise() {
  const GameState& g = world.game;
  int64_t value = 0;
  world.Debris.ForEach([&](const DebrisPiece& d) {
    if (d.y > 0xC000) return;
    const int32_t frames =
        std::max(std::abs(d.x - 0x200 - g.playerX) / 0x300, std::abs(d.y + 0x200 - g.playerY) / 0x280);
    if (frames < 48) value += kFruitInReach * (48 - frames);
  });
  auto threat = [&](int32_t x, int32_t y) {
    if (std::abs(x - g.playerX) < 0x1400 && std::abs(y - g.playerY) < 0x1400) value -= kThreat;
  };
  world.EnemyBullets.ForEach([&](const EnemyBullet& b) { threat(b.x, b.y); });
  world.Creatures.ForEach([&](const Creature& c) { threat(c.x, c.y); });
  world.Swarmers.ForEach([&](const Swarmer& s) { threat(s.x, s.y); });
  // Far from the carriers the sky is empty.
  int32_t nearest = 1024;
  world.Carriers.ForEach(
      [&](const Carrier& c) { nearest = std::min(nearest, std::abs((c.x + 0x1800 - g.playerX) >> 8)); });
  return value - kAway * nearest;
}

struct Trial {
  int32_t d;
  Pilot& pilot;
  int64_t frames = 0;  // frames played in trials, for the record
  Snapshot middle;     // where the second move starts
};

// Plays a goal from the snapshot for some frames; what it won, or kLost and
// less when the ship or the level was lost.
int64_t Play(Trial& trial, const Snapshot& from, const Goal& goal, int32_t frames) {
  Restore(from, trial.pilot);
  trial.pilot.goal = goal;
  const GameState& g = world.game;
  const int32_t score = g.score;
  const int32_t satellites = g.satellites;
  const int32_t carrierHits = CarrierHits();
  for (int32_t t = 0; t < frames && g.levelFrame < kDemoFrames; ++t) {
    PlayOneFrame(trial.d, trial.pilot, false);
    ++trial.frames;
    if (g.deathTimer == 240) return kLost - int64_t{frames - t} * (int64_t{1} << 40);
    if (g.clearTimer != 0 || world.Carriers.Size() < kCarriersKept) return kLost - (int64_t{1} << 39);
  }
  return kPoint * (g.score - score) + kSatellite * (g.satellites - satellites) +
         kCarrierHit * (carrierHits - CarrierHits());
}

std::vector<Goal> Candidates(const Goal& present, bool live);

// Two moves deep: the goal until the next choice, then the best goal from
// there; the world at the end says what is still to come.
int64_t Try(Trial& trial, const Snapshot& base, const Goal& goal) {
  const int64_t first = Play(trial, base, goal, kCommitFrames);
  if (first <= kLost) return first;
  if (world.game.levelFrame >= kDemoFrames) return first + Promise();
  Take(trial.middle, trial.pilot);
  Goal present = trial.pilot.goal;
  const bool live = FindTarget(present);
  int64_t best = kLost * 2;
  for (const Goal& next : Candidates(present, live)) {
    int64_t value = Play(trial, trial.middle, next, kFollowFrames);
    if (value <= kLost) {
      best = std::max(best, value);
      continue;
    }
    value += Promise();
    if (live && SameTarget(next, present)) value += kKeepFollowing;
    best = std::max(best, value);
  }
  return best <= kLost ? best : first + best;
}

//-----------------------------------------------------------------------------
// [SECTION] Recording
//-----------------------------------------------------------------------------

// The goals worth trying from here: the present one, the nearest targets of
// each kind, and short dodges in eight directions.
std::vector<Goal> Candidates(const Goal& present, bool live) {
  std::vector<Goal> goals;
  if (live && present.kind != GoalKind::Dodge) goals.push_back(present);
  struct Offer {
    GoalKind kind;
    int32_t count;
  };
  constexpr Offer kOffers[] = {{GoalKind::Collect, 3},       {GoalKind::PowerUp, 1}, {GoalKind::AttackCreature, 3},
                               {GoalKind::AttackSwarmer, 2}, {GoalKind::AttackPod, 2}, {GoalKind::AttackCarrier, 2}};
  Goal found[3];
  for (const Offer& offer : kOffers) {
    const int32_t n = NearestTargets(offer.kind, found, offer.count);
    for (int32_t i = 0; i < n; ++i) {
      if (goals.empty() || !SameTarget(goals.front(), found[i])) goals.push_back(found[i]);
    }
  }
  constexpr int32_t kDodges[8][2] = {{0, -kStickY}, {0, kStickY}, {kStickX, 0},  {-kStickX, 0},
                                     {700, -600},   {700, 600},   {-700, -600}, {-700, 600}};
  for (const auto& stick : kDodges) goals.push_back(Goal{GoalKind::Dodge, 0, 0, 0, stick[0], stick[1], 12});
  return goals;
}

// A moment of choice: the world then, and its goals that kept the ship.
struct Choice {
  Snapshot base;
  std::vector<Goal> ranked;  // best first
  size_t next = 0;           // the next one to play
};

}  // namespace

bool RecordDemonstration(int32_t d, const DemoStyle& style, bool verbose) {
  shell.demoIndex = d;
  StartGame(true);
  input.pointerX = 320;
  input.pointerY = 240;
  const GameState& g = world.game;
  Pilot pilot;
  Trial trial{d, pilot};
  std::vector<Choice> choices;
  int32_t backtracks = 0;

  while (shell.screenState == ScreenState::Play) {
    // Nothing to choose while the ship is away, nor in the last frame.
    if (!ShipTakesInput() || g.levelFrame >= kDemoFrames - 1) {
      PlayOneFrame(d, pilot, true);
      continue;
    }
    Choice choice;
    Take(choice.base, pilot);
    Goal present = pilot.goal;
    const bool live = FindTarget(present);
    const std::vector<Goal> goals = Candidates(present, live);
    std::vector<std::pair<int64_t, size_t>> values;
    for (size_t i = 0; i < goals.size(); ++i) {
      int64_t value = Try(trial, choice.base, goals[i]);
      if (value <= kLost) continue;
      if (live && SameTarget(goals[i], present)) value += style.keepGoal;
      if (goals[i].kind == GoalKind::Dodge) value -= style.dodgeCost;
      values.emplace_back(value, i);
    }
    std::stable_sort(values.begin(), values.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    for (const auto& v : values) choice.ranked.push_back(goals[v.second]);
    choices.push_back(std::move(choice));

    // Go back as far as needed to a choice with a goal left to play.
    while (!choices.empty() && choices.back().next >= choices.back().ranked.size()) {
      choices.pop_back();
      ++backtracks;
    }
    if (choices.empty()) {
      std::fprintf(stderr, "generate-demos: recording %d: no way found past frame %d\n", d, g.levelFrame);
      return false;
    }
    Choice& c = choices.back();
    Restore(c.base, pilot);
    pilot.goal = c.ranked[c.next++];
    if (verbose) {
      std::fprintf(stderr, "%4d score %4d goal %d at (%d, %d) stick (%d, %d), %zu of %zu kept%s\n", g.levelFrame,
                   g.score, static_cast<int>(pilot.goal.kind), pilot.goal.x >> 8, pilot.goal.y >> 8,
                   pilot.goal.stickVX, pilot.goal.stickVY, c.ranked.size(), goals.size(),
                   c.next > 1 ? ", after going back" : "");
    }
    for (int32_t t = 0; t < kCommitFrames && g.levelFrame < kDemoFrames - 1; ++t) PlayOneFrame(d, pilot, true);
  }
  demoInput[d][kDemoFrames][0] = demoInput[d][kDemoFrames][1] = demoInput[d][kDemoFrames][2] = 0;
  if (verbose) {
    std::fprintf(stderr, "recording %d: %lld trial frames, went back %d times\n", d,
                 static_cast<long long>(trial.frames), backtracks);
  }
  return true;
}

//-----------------------------------------------------------------------------
// [SECTION] Replaying
//-----------------------------------------------------------------------------

DemoFigures ReplayDemonstration(int32_t d) {
  DemoFigures f;
  shell.demoIndex = d;
  StartGame(true);
  input.pointerX = 320;
  input.pointerY = 240;
  const GameState& g = world.game;
  f.startScore = g.score;
  f.startLives = g.lives;
  for (int32_t i = 1; i < kDemoFrames; ++i) {
    const int16_t* a = demoInput[d][i - 1];
    const int16_t* b = demoInput[d][i];
    if (a[0] != b[0] || a[1] != b[1] || a[2] != b[2]) ++f.inputChanges;
  }
  while (shell.screenState == ScreenState::Play && f.frames < 3 * kDemoFrames) {
    const int32_t score = g.score, facing = g.facing, satellites = g.satellites;
    const int32_t carriers = world.Carriers.Size();
    PlayFrame();
    ++f.frames;
    f.hits += g.deathTimer == 240 ? 1 : 0;
    f.clearTimer = std::max(f.clearTimer, g.clearTimer);
    if (shell.screenState != ScreenState::Play) break;
    int32_t pickupPoints = 0;
    world.ScoreLabels.ForEach([&](const ScoreLabel& l) {
      if (l.life == 31) {
        ++f.pickups;
        pickupPoints += 2 * (l.sprite - 99);
      }
    });
    f.kills += g.score - score - pickupPoints;
    f.carriers += carriers - world.Carriers.Size();
    f.powerUps += g.satellites > satellites ? 1 : 0;
    f.turns += g.facing != facing ? 1 : 0;
    f.score = g.score;
    f.lives = g.lives;
  }
  f.backToTitle = shell.screenState == ScreenState::Title;
  return f;
}
