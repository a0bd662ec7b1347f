// The enemies' per-frame behaviour: carrier launches, creature steering and
// fire, swarmer retargeting and fire, pods, bullets, rings and the wrap.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <utility>
#include <vector>

#include "levels/random.h"
#include "world/enemies.h"
#include "world/tables.h"
#include "world/world.h"

namespace {

using Ints = std::vector<int32_t>;

class Enemies : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { BuildStartUpTables(); }
  void SetUp() override {
    RandomSeed(5);
    BuildGameTables();
    world = World{.levelSettings = {.creatureFireTimer = 1000}};  // nothing fires unless a test says so
  }
};

// Every record of a list, or one field of each, front to back.
template <typename R>
auto All(const EntityList<R>& l) { std::vector<R> v; l.ForEach([&](const R& r) { v.push_back(r); }); return v; }
template <typename R>
Ints Field(const EntityList<R>& l, int32_t R::*f) { Ints v; for (const R& r : All(l)) v.push_back(r.*f); return v; }

void UpdateEnemies() { UpdateCarriers(); UpdateCreatures(); UpdatePods(); UpdateEnemyBullets(); UpdateSwarmers(); }

Creature Coaster(int32_t x, int32_t y, int32_t type, int32_t vy = 0) {  // a wanderer coasting in its first frames
  return Creature{.x = x, .y = y, .vy = vy, .steerTimer = 1000, .creatureType = type};
}

TEST_F(Enemies, CarrierLaunchesOncePerIntervalOfItsLaunchHalfNearTheScreenWhileItBobs) {
  world.Carriers.Add() = Carrier{.baseY = 0x6000, .launchCountdown = 1, .launchInterval = 40, .creatureType = 3};
  Ints launchesAt, ys;  // launch-half frames so far, at each launch; y in every frame
  for (int frame = 0, halfFrames = 0; frame < 600; ++frame) {
    const int32_t before = world.Creatures.Size();
    world.sound.sfxLaunch = 0;
    UpdateCarriers();
    halfFrames += (All(world.Carriers)[0].phase & 128) != 0;
    ys.push_back(All(world.Carriers)[0].y);
    EXPECT_EQ(world.Creatures.Size() != before, world.sound.sfxLaunch == 1);
    if (world.Creatures.Size() != before) launchesAt.push_back(halfFrames);
  }
  EXPECT_EQ(launchesAt, (Ints{1, 41, 81, 121, 161, 201, 241, 281}));
  const auto [lowest, highest] = std::ranges::minmax(ys);  // 28 pixels each way about 4 pixels below baseY
  EXPECT_EQ((Ints{lowest, highest}), (Ints{0x6400 - 2 * 3584, 0x6400 + 2 * 3584}));
  ClearAllEntities();  // nothing counts down from 176 pixels left of the screen or 128 right of it
  const Carrier due{.phase = 125, .launchCountdown = 1, .creatureType = 1};
  for (int32_t x : {-0xB000, -0xAFFF, 0x17FFF, 0x18000}) (world.Carriers.Add() = due).x = x;
  UpdateCarriers();
  EXPECT_EQ(Field(world.Carriers, &Carrier::launchCountdown), (Ints{1, 0, 0, 1}));
  world.game.scrollSpeed = 0x100;  // a creature leaves heading the carrier's way; a still one counts as heading left
  for (int32_t vx : {-0x120, 0, 0x120}) {
    ClearAllEntities();
    world.Carriers.Add() = Carrier{.x = 0x2000, .baseY = 0x5000, .vx = vx, .phase = 125, .launchCountdown = 1,
                                   .launchInterval = 40, .creatureType = 6};
    UpdateCarriers();
    const Carrier c = All(world.Carriers)[0];
    const int32_t x = 0x2000 + vx - 0x100 + 0x1000;
    const Creature expected{.x = x, .y = c.y, .vx = vx, .vy = 0x180, .ax = 64, .ay = 32, .maxVX = std::abs(vx),
                            .maxVY = 0x180, .dirX = vx > 0, .dirY = 1, .targetX = x, .targetY = c.y, .steerTimer = 16,
                            .steerPeriod = 12, .creatureType = 6};
    EXPECT_EQ(All(world.Creatures), std::vector<Creature>{expected}) << "carrier vx " << vx;
  }
}

TEST_F(Enemies, CreaturesShareTheFireTimerFireFansByTypeStopAtTheGroundAndStepTheCursorPerDraw) {
  world.levelSettings = {.creatureFireTimer = 0, .creatureFireInterval = 300};
  for (int32_t x : {0x20000, 0x3000, 0x5000, 0x7000}) world.Creatures.Add() = Coaster(x, 0x4000, 1);
  UpdateCreatures();  // the one off screen neither fires nor counts
  EXPECT_EQ(Field(world.EnemyBullets, &EnemyBullet::x), (Ints{0x3000 + 0x600}));
  EXPECT_EQ((Ints{world.levelSettings.creatureFireTimer, world.sound.sfxEnemyFire}), (Ints{298, 1}));
  world.EnemyBullets.Clear();
  world.levelSettings.creatureFireTimer = 2;  // counted down twice, then the third fires
  UpdateCreatures();
  EXPECT_EQ(Field(world.EnemyBullets, &EnemyBullet::x), (Ints{0x7000 + 0x600}));
  // Pushed against the ground a creature stays there, keeping its speed.
  ClearAllEntities();
  world.Creatures.Add() = Coaster(0x3000, 0xD700, 1, 0x300);
  for (int frame = 0; frame < 2; ++frame) UpdateCreatures();
  EXPECT_EQ((Ints{All(world.Creatures)[0].y, All(world.Creatures)[0].vy}), (Ints{0xD800, 0x300}));
  // Fans: aimed at the ship (angle 0 here), a bullet either side from type 5, another pair outside from type 9.
  world.game = GameState{.playerX = 0x7000, .playerY = 0x6000, .level = 1};
  world.levelSettings.bulletSpeedRow = 2;
  std::vector<EnemyBullet> fan;
  for (int32_t a : {0, 248, 8, 240, 16}) fan.push_back({0x3600, 0x6600, SpeedCircle[2][a][0], SpeedCircle[2][a][1]});
  for (int32_t type = 1; type <= 12; ++type) {
    ClearAllEntities();
    world.levelSettings.creatureFireTimer = 0;
    world.Creatures.Add() = Coaster(0x3000, 0x6000, type);
    UpdateCreatures();
    EXPECT_EQ(All(world.EnemyBullets), std::vector(fan.begin(), fan.begin() + (type > 8 ? 5 : type > 4 ? 3 : 1)))
        << "type " << type;
  }
  // Each draw steps the cursor. A homing creature's decision draws two limits and leaves the velocity for a frame;
  // a wanderer draws only for an axis whose target it has passed, and still accelerates the old way in that frame.
  world = World{.game = {.playerX = 0x8000, .playerY = 0x4000, .level = 1},
                .levelSettings = {.creatureFireTimer = 1000, .tableCursor = 2046}};
  WanderX[0] = 0x9000;  // beyond the wanderer: its new direction is +x
  CreatureSpeeds[3][0][1] = 0x200;
  world.Creatures.Add() = Creature{.x = 0x3000, .y = 0x8000, .vx = 0x50, .vy = -0x30, .ax = 18, .ay = 18,
                                   .steerPeriod = 6, .creatureType = 4};
  world.Creatures.Add() = Creature{.x = 0x3000, .y = 0x5000, .vx = -0x100, .vy = 0x1F0, .ax = 32, .ay = 40,
                                   .maxVX = 0x300, .maxVY = 0x200, .dirX = 0, .dirY = 1, .targetX = 0x4000,
                                   .targetY = 0x8000, .creatureType = 3};
  UpdateCreatures();
  const std::vector<Creature> c = All(world.Creatures);  // the homing one, the wanderer
  EXPECT_EQ(world.levelSettings.tableCursor, 1);               // 2047, 0, then 1
  EXPECT_EQ((Ints{c[0].maxVX, c[0].maxVY}), (Ints{CreatureSpeeds[4][0][2047], CreatureSpeeds[4][1][0]}));
  EXPECT_EQ((Ints{c[0].dirX, c[0].dirY, c[0].vx, c[0].vy, c[0].steerTimer}), (Ints{1, 0, 0x50, -0x30, 6}));
  EXPECT_EQ((Ints{c[1].targetX, c[1].dirX, c[1].maxVX, c[1].vx, c[1].targetY, c[1].vy}),
            (Ints{0x9000, 1, 0x200, -0x120, 0x8000, 0x200}));
}

TEST_F(Enemies, SwarmersRetargetInTheirTimeSwingAroundTheTargetAndHuntersShareTheFireTimer) {
  const Swarmer hunter{.swarmerType = HunterSwarmer, .x = 0x40000, .y = 0x6D00, .targetVX = 0x640};  // from a wave
  for (int32_t wait : {0, 8}) (world.Swarmers.Add() = hunter).retargetTimer = wait;
  Ints atOnce, afterWait;
  for (int frame = 0; frame < 10; ++frame) {
    UpdateSwarmers();
    atOnce.push_back(Field(world.Swarmers, &Swarmer::vx)[0]);
    afterWait.push_back(Field(world.Swarmers, &Swarmer::vx)[1]);
  }
  // The first hunter from the wave turns back towards the screen at once. The second speeds up towards 0x640 for
  // 8 frames, keeps its speed in the frame it retargets (by then wrapped to the far left) and heads back.
  EXPECT_EQ(atOnce, (Ints{0, -0x80, -0x100, -0x180, -0x200, -0x280, -0x300, -0x380, -0x400, -0x480}));
  EXPECT_EQ(afterWait, (Ints{0x80, 0x100, 0x180, 0x200, 0x280, 0x300, 0x380, 0x400, 0x400, 0x480}));
  world = World{.levelSettings = {.swarmAccel = 0x80}};
  world.Swarmers.Add() = Swarmer{.swarmerType = PlainSwarmer, .targetVY = 0x50, .retargetTimer = 9};
  world.Swarmers.Add() = Swarmer{.swarmerType = HunterSwarmer, .targetVY = 0x50, .retargetTimer = 9};
  Ints vy;  // plain, hunter, plain, hunter, ...
  for (int frame = 0; frame < 3; ++frame) {
    UpdateSwarmers();
    for (int32_t v : Field(world.Swarmers, &Swarmer::vy)) vy.push_back(v);
  }
  EXPECT_EQ(vy, (Ints{0x80, 0x40, 0, 0x80, 0x80, 0x40}));  // overshooting steps swing around the target
  // The hunters' fire timer waits at 0 for the next hunter due near the screen.
  world = World{.game = {.playerX = 0x8000, .playerY = 0x6000, .level = 1}, .levelSettings = {.tableCursor = 10}};
  AimJitter[12] = -7;
  const int32_t hunters[][2] = {{0x2000, 1}, {0x30000, 0}, {0x4000, 1}, {0x6000, 1}};  // x, retargetTimer
  for (auto [x, wait] : hunters) world.Swarmers.Add() = Swarmer{HunterSwarmer, x, 0x6000, 0, 0, 0, 0, wait};
  UpdateSwarmers();  // only the far hunter is due
  EXPECT_EQ((Ints{world.EnemyBullets.Size(), world.levelSettings.hunterFireTimer}), (Ints{0, 0}));
  UpdateSwarmers();  // the first due fires and reloads; the next two count down
  EXPECT_EQ(All(world.EnemyBullets), (std::vector<EnemyBullet>{{0x2200, 0x6300, 832, 0}}));  // straight ahead
  const Swarmer first = All(world.Swarmers)[0];
  EXPECT_EQ((Ints{world.levelSettings.hunterFireTimer, first.targetVX, first.targetVY}),
            (Ints{6, HunterCircle[249][0], HunterCircle[249][1]}));
  // Swarmers far away aim as if the ship were within the direction table's reach.
  EXPECT_EQ(AimAtShip(0x8000 - 0x30000, 0xE000), AimAtShip(0x8000 - 0x10000, 0xE000));
  EXPECT_EQ(AimAtShip(0x8000 + 0x30000, -0x30000), AimAtShip(0x8000 + 0x10000, -0x10000));
}

TEST_F(Enemies, PodsAloneDrawOnceEachAndStayInTheBandTheOthersWrapOnlyBeyondHalfAWorldAndBulletsVanish) {
  world.Pods.Add() = Pod{.x = 0x5000, .y = 0, .heading = 192, .podType = PlainPod};  // heading up
  for (int32_t x : {0x1000, 0x2000}) world.Pods.Add() = Pod{.x = x, .y = 0x5000, .podType = RingPod};
  world.Carriers.Add() = Carrier{.phase = 125, .launchCountdown = 1, .creatureType = 3};
  world.Creatures.Add() = Creature{.x = 0x3000, .y = 0x3000, .dirX = 1, .targetX = 0x1000, .creatureType = 5};
  world.Swarmers.Add() = Swarmer{.swarmerType = PlainSwarmer, .x = 0x3000};
  const Rng before = rng;
  for (int i = 0; i < 3; ++i) Random(48);
  const Rng expected = std::exchange(rng, before);
  UpdateEnemies();
  EXPECT_EQ(rng, expected);
  EXPECT_EQ((Ints{world.levelSettings.tableCursor, All(world.Pods)[0].y}), (Ints{2, 0}));  // a wanderer's x, a swarmer
  // Every kind wraps only beyond half a world, creatures taking their target along (x moved, then wrapped).
  const int32_t cases[][2] = {{0x40000, 0x40000}, {0x40001, -0x3FFFF}, {-0x40000, -0x40000}, {-0x40001, 0x3FFFF}};
  for (auto [moved, wrapped] : cases) {
    world = World{.game = {.scrollSpeed = 0x100, .level = 1}};
    world.Carriers.Add() = Carrier{.x = moved + 0x100};
    world.Creatures.Add() = Coaster(moved + 0x100, 0, 1);
    world.Creatures.Current()->targetX = 0x1234;
    world.Swarmers.Add() = Swarmer{.swarmerType = PlainSwarmer, .x = moved + 0x100, .retargetTimer = 9};
    const Rng saved = rng;
    const int32_t turn = Random(48) - 24;
    rng = saved;
    // The pod turns to heading 100, where an x part of -445 moves it 112 units left (the shift rounds down).
    world.Pods.Add() = Pod{.x = moved + 0x100 + 112, .heading = (100 - turn) & 255};
    UpdateEnemies();
    const Creature c = All(world.Creatures)[0];
    EXPECT_EQ((Ints{All(world.Carriers)[0].x, c.x, All(world.Swarmers)[0].x, All(world.Pods)[0].x}),
              (Ints{wrapped, wrapped, wrapped, wrapped}));
    EXPECT_EQ(c.targetX, 0x1234 - 0x100 + wrapped - moved);
  }
  // Bullets are not wrapped: they vanish only beyond the area round the screen.
  world = World{.game = {.scrollSpeed = 0x100, .level = 1}};
  const int32_t edges[][2] = {{-0x4000, 0}, {-0x4001, 0}, {0x14000, 0}, {0x14001, 0},
                              {0, -0x400},  {0, -0x401},  {0, 0xE000},  {0, 0xE001}};
  for (auto [x, y] : edges) AddEnemyBullet(x - 0x10 + 0x100, y - 0x20, 0x10, 0x20);
  UpdateEnemyBullets();
  EXPECT_EQ(Field(world.EnemyBullets, &EnemyBullet::x), (Ints{-0x4000, 0x14000, 0, 0}));
  EXPECT_EQ(Field(world.EnemyBullets, &EnemyBullet::y), (Ints{0, 0, -0x400, 0xE000}));
}

TEST_F(Enemies, BulletRingsFireEvenlyFromAngleZero) {
  struct Ring { int32_t pattern, angles, firstRow, lastRow, step; };
  for (const Ring& r : {Ring{1, 8, 0, 0, 32}, {2, 8, 1, 1, 32}, {3, 8, 2, 2, 32}, {4, 12, 2, 2, 21}, {5, 16, 1, 1, 16},
                        {6, 16, 2, 2, 16}, {7, 12, 1, 2, 21}, {8, 16, 1, 2, 16}, {0, 0, 0, 0, 0}, {9, 0, 0, 0, 0}}) {
    world.EnemyBullets.Clear();
    FireBulletRing(r.pattern, 0x4000, 0x5000);
    std::vector<EnemyBullet> expected;
    for (int32_t i = 0; i < r.angles; ++i) {
      for (int32_t row = r.firstRow; row <= r.lastRow; ++row) {
        expected.push_back({0x4000, 0x5000, SpeedCircle[row][i * r.step][0], SpeedCircle[row][i * r.step][1]});
      }
    }
    EXPECT_EQ(All(world.EnemyBullets), expected) << "pattern " << r.pattern;
  }
}

}  // namespace
