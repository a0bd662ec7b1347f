//-----------------------------------------------------------------------------
// The recording bot's pilot: from a goal to the stick and the button.
//
// [SECTION] Targets: what the pilot can aim at, and where it will be
// [SECTION] Goals: finding the target again, choosing a new one
// [SECTION] Steering: the velocity a goal asks for, smoothed; the button
//-----------------------------------------------------------------------------
#include "tools/demos/pilot.h"

#include <algorithm>
#include <cstdlib>

#include "world/tables.h"
#include "world/world.h"

namespace {

// The hand: the largest change of the stick in a frame, how fast that
// change itself may grow, how far the wish must move before the hand takes
// the stick elsewhere, and the stick's reach.
struct Hand {
  int32_t step, jerk, slack, reach;
};
constexpr Hand kHandX{96, 16, 160, kStickX};
constexpr Hand kHandY{80, 14, 128, kStickY};

constexpr int32_t kDeadZone = 96;     // the game ignores smaller requests
constexpr int32_t kBrakeX = 64;       // the deceleration the approach plans with
constexpr int32_t kBrakeY = 56;
constexpr int32_t kGravity = 0x28;    // debris falls faster by this each frame
constexpr int32_t kFireOnFrames = 6;  // a burst is at least two volleys
constexpr int32_t kFireOffFrames = 4;
constexpr int32_t kScreenRight = 0x10000;
constexpr int32_t kLowestShip = 0xD800;

//-----------------------------------------------------------------------------
// [SECTION] Targets
//-----------------------------------------------------------------------------

// Where a target is and how it moves over the ground, units per frame.
struct Thing {
  int32_t x, y, vx, vy;
};

// An enemy's box for player shots, relative to its position, and the
// distance at which the pilot likes to hold it.
struct Body {
  int32_t left, right, top, bottom, standoff;
};

constexpr Body kCreatureBody{-0x400, 0xE00, -0x200, 0xB00, 0x4800};
constexpr Body kSwarmerBody{-0x400, 0x600, -0x300, 0x700, 0x4800};
constexpr Body kPodBody{-0x400, 0xE00, -0x200, 0xF00, 0x4800};
constexpr Body kCarrierBody{-0x400, 0x2E00, -0x200, 0xF00, 0x3000};

const Body* BodyOf(GoalKind kind) {
  switch (kind) {
    case GoalKind::AttackCreature: return &kCreatureBody;
    case GoalKind::AttackSwarmer: return &kSwarmerBody;
    case GoalKind::AttackPod: return &kPodBody;
    case GoalKind::AttackCarrier: return &kCarrierBody;
    default: return nullptr;
  }
}

// Calls visit(Thing) for every target of a kind.
template <typename Visit>
void ForEachThing(GoalKind kind, Visit visit) {
  const World& w = world;
  switch (kind) {
    case GoalKind::Collect:
      w.Debris.ForEach([&](const DebrisPiece& d) { visit(Thing{d.x, d.y, d.vx, d.vy + kGravity}); });
      break;
    case GoalKind::PowerUp:
      if (w.powerUp.powerUpActive != 0) visit(Thing{w.powerUp.x, w.powerUp.y, w.powerUp.vx, w.powerUp.vy});
      break;
    case GoalKind::AttackCreature:
      w.Creatures.ForEach([&](const Creature& c) { visit(Thing{c.x, c.y, c.vx, c.vy}); });
      break;
    case GoalKind::AttackSwarmer:
      w.Swarmers.ForEach([&](const Swarmer& s) { visit(Thing{s.x, s.y, s.vx, s.vy}); });
      break;
    case GoalKind::AttackPod:
      w.Pods.ForEach([&](const Pod& p) {
        visit(Thing{p.x, p.y, SpeedCircle[0][p.heading][0] >> 2, SpeedCircle[0][p.heading][1] >> 2});
      });
      break;
    case GoalKind::AttackCarrier:
      w.Carriers.ForEach([&](const Carrier& c) {
        visit(Thing{c.x, c.y, c.vx, c.baseY + 2 * OrbitTable[(c.phase + 3) & 255][1] - c.y});
      });
      break;
    default: break;
  }
}

// The point the ship's position must reach to touch a piece of debris or
// the power-up: the middle of its pickup box.
int32_t PickupX(const Thing& t) { return t.x - 0x200; }
int32_t PickupY(const Thing& t) { return t.y + 0x200; }

// Roughly how many frames the ship needs to get to a point.
int32_t FramesTo(int32_t x, int32_t y) {
  const GameState& g = world.game;
  return std::max(std::abs(x - g.playerX) / 0x300, std::abs(y - g.playerY) / 0x280);
}

// How far off a target is for the choice of goals, in frames, with a bias by
// kind: fruit first, enemies on screen next, carriers last.
int32_t Cost(GoalKind kind, const Thing& t) {
  switch (kind) {
    case GoalKind::Collect:
      // Debris that will have fallen away before the ship gets there is of no use.
      return t.y > 0xC800 ? 1000 : FramesTo(PickupX(t), PickupY(t));
    case GoalKind::PowerUp:
      // A fifth satellite is not to be had.
      return world.game.satellites >= 4 ? 1000 : FramesTo(PickupX(t), PickupY(t)) - 30;
    case GoalKind::AttackCarrier: return FramesTo(t.x + 0x1400, t.y) + 40;
    case GoalKind::AttackPod: return FramesTo(t.x, t.y) + 20;
    default: return FramesTo(t.x, t.y) + 10;
  }
}

// Finds the goal's target in this frame's world: the thing of its kind
// nearest to where the goal saw it, now or (seen a frame ago) moved on by its
// velocity and the view's.
bool FindTarget(Goal& goal, Thing* found) {
  const GameState& g = world.game;
  const bool now = goal.seenAt == g.levelFrame;
  const int32_t scroll = now ? 0 : g.scrollSpeed;
  bool seen = false;
  int32_t best = 0;
  ForEachThing(goal.kind, [&](const Thing& t) {
    const int32_t wasX = now ? t.x : t.x - t.vx + scroll;
    const int32_t wasY = now ? t.y : t.y - t.vy;
    const int32_t d = std::abs(wasX - goal.x) + std::abs(wasY - goal.y);
    if (d < 0x800 && (!seen || d < best)) {
      seen = true;
      best = d;
      *found = t;
    }
  });
  if (seen) {
    goal.x = found->x;
    goal.y = found->y;
    goal.seenAt = g.levelFrame;
  }
  return seen;
}

constexpr GoalKind kChoosable[] = {GoalKind::Collect,       GoalKind::PowerUp,   GoalKind::AttackCreature,
                                   GoalKind::AttackSwarmer, GoalKind::AttackPod, GoalKind::AttackCarrier};

// The nearest target of all, by Cost; a short pause when there is none.
Goal ChooseGoal(Thing* target) {
  Goal best;
  int32_t bestCost = 0;
  bool any = false;
  for (GoalKind kind : kChoosable) {
    ForEachThing(kind, [&](const Thing& t) {
      const int32_t cost = Cost(kind, t);
      if (cost >= 1000) return;
      if (!any || cost < bestCost) {
        any = true;
        bestCost = cost;
        best = Goal{kind, t.x, t.y, world.game.levelFrame};
        *target = t;
      }
    });
  }
  if (!any) best = Goal{GoalKind::Dodge, 0, 0, 0, 0, 0, 8};
  return best;
}

//-----------------------------------------------------------------------------
// [SECTION] Steering
//-----------------------------------------------------------------------------

int32_t IntegerSqrt(int64_t v) {
  int64_t r = 0;
  for (int64_t bit = int64_t{1} << 40; bit != 0; bit >>= 2) {
    if (v >= r + bit) {
      v -= r + bit;
      r = (r >> 1) + bit;
    } else {
      r >>= 1;
    }
  }
  return static_cast<int32_t>(r);
}

// The speed that closes a distance and stops on it, braking at brake units
// per frame per frame.
int32_t Approach(int32_t distance, int32_t brake) {
  const int32_t speed = IntegerSqrt(2 * int64_t{brake} * std::abs(distance));
  return distance < 0 ? -speed : speed;
}

// What a goal asks of the ship this frame.
struct Wish {
  int32_t vx = 0, vy = 0;
  int32_t facing = -1;  // 0 or 1 when the goal needs the ship to face one way
  bool fire = false;    // the goal's own reason to fire
};

Wish AttackWish(const Body& body, const Thing& e) {
  const GameState& g = world.game;
  Wish w;
  // Face the enemy; an enemy almost level with the ship keeps the facing.
  const int32_t dx = e.x + (body.left + body.right) / 2 - (g.playerX + 0x400);
  w.facing = std::abs(dx) < 0x1800 ? g.facing : (dx > 0 ? 1 : 0);
  // Hold it at the standoff distance ahead, level with the middle of its box.
  if (w.facing == 1) {
    const int32_t gap = e.x + body.left - (g.playerX + 0x800);
    w.vx = e.vx + Approach(gap - body.standoff, kBrakeX);
  } else {
    const int32_t gap = g.playerX - (e.x + body.right);
    w.vx = e.vx - Approach(gap - body.standoff, kBrakeX);
  }
  const int32_t lane = e.y + (body.top + body.bottom) / 2 - 0x300;
  w.vy = e.vy + Approach(lane - g.playerY, kBrakeY);
  const bool onScreen = e.x + body.right > -0x800 && e.x + body.left < kScreenRight;
  w.fire = onScreen && g.facing == w.facing && std::abs(lane - g.playerY) < 0xA00;
  // Turning takes a flick of the stick the new way with the button up.
  if (g.facing != w.facing) w.vx = w.facing == 1 ? std::max(w.vx, 256) : std::min(w.vx, -256);
  return w;
}

Wish PickupWish(const Thing& t) {
  const GameState& g = world.game;
  Wish w;
  w.vx = t.vx + Approach(PickupX(t) - g.playerX, kBrakeX);
  w.vy = t.vy + Approach(PickupY(t) - g.playerY, kBrakeY);
  return w;
}

// Whether a shot fired now would meet an enemy before it leaves the screen.
bool EnemyInLine() {
  const GameState& g = world.game;
  const int32_t shotY = g.playerY + 0x300;
  const bool right = g.facing == 1;
  bool inLine = false;
  auto test = [&](const Body& body, int32_t x, int32_t y) {
    if (shotY <= y + body.top + 0x80 || shotY >= y + body.bottom - 0x80) return;
    if (right ? (x + body.right > g.playerX + 0x800 && x + body.left < kScreenRight)
              : (x + body.left < g.playerX && x + body.right > -0x800)) {
      inLine = true;
    }
  };
  const World& w = world;
  w.Creatures.ForEach([&](const Creature& c) { test(kCreatureBody, c.x, c.y); });
  w.Swarmers.ForEach([&](const Swarmer& s) { test(kSwarmerBody, s.x, s.y); });
  w.Pods.ForEach([&](const Pod& p) { test(kPodBody, p.x, p.y); });
  w.Carriers.ForEach([&](const Carrier& c) { test(kCarrierBody, c.x, c.y); });
  return inLine;
}

int32_t MoveTowards(int32_t from, int32_t to, int32_t step) { return from + std::clamp(to - from, -step, step); }

void MoveStick(StickAxis& axis, int32_t wish, const Hand& hand) {
  if (std::abs(wish - axis.aim) > hand.slack) axis.aim = std::clamp(wish, -hand.reach, hand.reach);
  const int32_t left = axis.aim - axis.at;
  if (std::abs(left) <= hand.jerk && std::abs(axis.rate) <= hand.jerk) {
    axis.at = axis.aim;
    axis.rate = 0;
    return;
  }
  const int32_t wanted = std::clamp(Approach(left, hand.jerk), -hand.step, hand.step);
  axis.rate = MoveTowards(axis.rate, wanted, hand.jerk);
  axis.at = std::clamp(axis.at + axis.rate, -hand.reach, hand.reach);
}

}  // namespace

bool ShipTakesInput() {
  const GameState& g = world.game;
  return g.gameOverTimer == 0 && (g.deathTimer == 0 || g.deathTimer <= 121);
}

int32_t NearestTargets(GoalKind kind, Goal* out, int32_t n) {
  int32_t count = 0;
  int32_t costs[8];
  ForEachThing(kind, [&](const Thing& t) {
    const int32_t cost = Cost(kind, t);
    if (cost >= 1000) return;
    // Insertion into the short list, nearest first; ties keep list order.
    int32_t at = count < n ? count : n;
    while (at > 0 && costs[at - 1] > cost) --at;
    if (at >= n) return;
    for (int32_t i = std::min(count, n - 1); i > at; --i) {
      out[i] = out[i - 1];
      costs[i] = costs[i - 1];
    }
    out[at] = Goal{kind, t.x, t.y, world.game.levelFrame};
    costs[at] = cost;
    count = std::min(count + 1, n);
  });
  return count;
}

bool FindTarget(Goal& goal) {
  Thing t;
  return goal.kind == GoalKind::Dodge || (goal.kind != GoalKind::Auto && FindTarget(goal, &t));
}

bool SameTarget(const Goal& a, const Goal& b) {
  if (a.kind != b.kind) return false;
  if (a.kind == GoalKind::Dodge) return a.stickVX == b.stickVX && a.stickVY == b.stickVY;
  return std::abs(a.x - b.x) + std::abs(a.y - b.y) < 0x400;
}

PlayInput Steer(Pilot& pilot) {
  const GameState& g = world.game;
  if (!ShipTakesInput()) {
    pilot.x = pilot.y = StickAxis{};
    pilot.fire = pilot.fireFrames = 0;
    return PlayInput{};
  }

  // Find the target again, or choose anew.
  Goal& goal = pilot.goal;
  Thing target{};
  if (goal.kind == GoalKind::Dodge) {
    if (goal.frames-- <= 0) goal.kind = GoalKind::Auto;
  } else if (goal.kind != GoalKind::Auto && !FindTarget(goal, &target)) {
    goal.kind = GoalKind::Auto;
  }
  if (goal.kind == GoalKind::Auto) goal = ChooseGoal(&target);

  Wish wish;
  if (const Body* body = BodyOf(goal.kind)) {
    wish = AttackWish(*body, target);
  } else if (goal.kind == GoalKind::Dodge) {
    wish.vx = goal.stickVX;
    wish.vy = goal.stickVY;
    wish.facing = g.facing;
  } else {
    wish = PickupWish(target);
  }

  // The stick moves smoothly towards the wish.
  if (g.playerY >= kLowestShip) wish.vy = std::min(wish.vy, 0);
  if (g.playerY <= 0) wish.vy = std::max(wish.vy, 0);
  MoveStick(pilot.x, wish.vx, kHandX);
  MoveStick(pilot.y, wish.vy, kHandY);

  // The button: bursts at enemies in line; held to fly backwards without
  // turning; up to turn.
  const int32_t vx = pilot.x.at;
  const bool backwards = std::abs(vx) >= kDeadZone && (vx > 0 ? 1 : 0) != g.facing;
  bool press = wish.fire || EnemyInLine();
  if (wish.facing == g.facing && backwards) press = true;
  if (wish.facing >= 0 && wish.facing != g.facing) press = false;
  const int32_t held = pilot.fire ? kFireOnFrames : kFireOffFrames;
  if (press != (pilot.fire != 0) && pilot.fireFrames >= held) {
    pilot.fire = press ? 1 : 0;
    pilot.fireFrames = 0;
  }
  ++pilot.fireFrames;
  // Until the button is down, backing off stays below the speed that turns.
  if (pilot.fire == 0 && backwards && wish.facing == g.facing) {
    pilot.x.at = vx > 0 ? kDeadZone - 1 : 1 - kDeadZone;
    pilot.x.rate = 0;
  }
  return PlayInput{pilot.x.at, pilot.y.at, pilot.fire, 0, 0};
}
