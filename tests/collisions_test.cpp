// Shots against enemies, the ship against enemies and bullets, pickups and
// the sound requests: what each contact leaves behind.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "audio/sound.h"
#include "levels/random.h"
#include "platform/headless.h"
#include "platform/headless/internal.h"
#include "platform/sound_device.h"
#include "world/collisions.h"
#include "world/tables.h"
#include "world/world.h"

namespace {

template <typename Record>
std::vector<Record> All(const EntityList<Record>& list) {
  std::vector<Record> records;
  list.ForEach([&](const Record& r) { records.push_back(r); });
  return records;
}

void Shot(int32_t x, int32_t y) {
  PlayerShot& s = world.PlayerShots.Add();
  s.x = x;
  s.y = y;
}

class Collisions : public ::testing::Test {
 protected:
  void SetUp() override {
    world = World{};
    BuildStartUpTables();
    RandomSeed(4321);
    BuildGameTables();
  }
};

TEST_F(Collisions, TwoShotsKillACreatureOnceAndTheEarlierCreatureTakesAShot) {
  // Creatures A and B overlap; the shot at the shared point goes to A, the
  // one exactly on A's left edge (x - 0x400) is not inside any box.
  world.Creatures.Add() = Creature{.x = 0x5000, .y = 0x4000, .vx = 0x180};
  world.Creatures.Add() = Creature{.x = 0x5400, .y = 0x4000, .vx = -0x80};
  Shot(0x5800, 0x4100);
  Shot(0x5100, 0x4200);
  Shot(0x4C00, 0x4100);
  world.game.playerY = 0x1000;
  const Rng before = rng;
  ShotsAgainstEnemies();

  ASSERT_EQ(world.Creatures.Size(), 1);
  EXPECT_EQ(All(world.Creatures)[0].x, 0x5400);
  EXPECT_EQ(world.game.score, 1);
  EXPECT_EQ(All(world.PlayerShots).size(), 1u);
  EXPECT_EQ(All(world.Sparks), (std::vector<Spark>{{0x5800, 0x3F00, 0}, {0x5100, 0x4000, 0}}));
  EXPECT_EQ(All(world.Explosions), (std::vector<Explosion>{{0x5000, 0x3C00, 0}}));
  // Three debris: the cursor advances, then vx and vy are drawn in turn.
  rng = before;
  std::vector<DebrisPiece> expected;
  for (int i = 1; i <= 3; ++i) {
    const int32_t vx = 0x180 + Random(0x200) - 0x100;
    expected.push_back({DebrisSprites[i], 0x5200, 0x4000, vx, -0x100 - Random(0x400)});
  }
  EXPECT_EQ(All(world.Debris), expected);
  EXPECT_EQ(world.game.debrisCursor, 3);
  EXPECT_EQ(world.sound.sfxExplosion, 1);
}

TEST_F(Collisions, PowerUpOnlyWhenNoneExistsButTheMarkMovesOn) {
  world.game.score = world.game.powerUpScore = 100;
  world.game.playerY = 0x8000;
  world.Creatures.Add() = Creature{.x = 0x3000, .y = 0x4000, .vx = 0x200};
  Shot(0x3100, 0x4100);
  ShotsAgainstEnemies();
  EXPECT_EQ(world.game.powerUpScore, 351);
  EXPECT_EQ(world.powerUp, (PowerUp{1, 0x3000, 0x4000, 0x200, -0x100}));

  world.game.score = 351;
  world.Creatures.Add() = Creature{.x = 0x7000, .y = 0x9000};
  Shot(0x7100, 0x9100);
  ShotsAgainstEnemies();
  EXPECT_EQ(world.game.powerUpScore, 602);
  EXPECT_EQ(world.powerUp.x, 0x3000);  // the first one is still out
}

// Each box is strict on all four sides: shots exactly on its edges stay,
// shots one unit inside its corners are taken.
TEST_F(Collisions, EnemyBoxesForShotsAreStrict) {
  struct Case { int kind; int32_t left, right, top, bottom; };
  const Case cases[] = {{0, -0x400, 0xE00, -0x200, 0xB00}, {1, -0x400, 0x600, -0x300, 0x700},
                        {2, -0x400, 0xE00, -0x200, 0xF00}, {3, -0x400, 0x2E00, -0x200, 0xF00}};
  const int32_t x = 0x6000, y = 0x5000;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    world = World{};
    if (c.kind == 0) world.Creatures.Add() = Creature{.x = x, .y = y};
    if (c.kind == 1) world.Swarmers.Add() = Swarmer{.swarmerType = PlainSwarmer, .x = x, .y = y};
    if (c.kind == 2) world.Pods.Add() = Pod{.x = x, .y = y, .podType = 99};
    if (c.kind == 3) world.Carriers.Add() = Carrier{.x = x, .y = y, .hp = 40};
    Shot(x + c.left, y + 1);
    Shot(x + c.right, y + 1);
    Shot(x + 1, y + c.top);
    Shot(x + 1, y + c.bottom);
    ShotsAgainstEnemies();
    EXPECT_EQ(world.Sparks.Size(), 0);
    world.PlayerShots.Clear();
    Shot(x + c.left + 1, y + c.top + 1);
    Shot(x + c.right - 1, y + c.bottom - 1);
    ShotsAgainstEnemies();
    EXPECT_EQ(world.Sparks.Size(), 2);
  }
}

TEST_F(Collisions, SwarmerKillsByKind) {
  world.levelSettings.ringSwarmerPattern = 5;
  world.Swarmers.Add() = Swarmer{.swarmerType = HunterSwarmer, .x = 0x3000, .y = 0x3000, .vx = 0x100};
  world.Swarmers.Add() = Swarmer{.swarmerType = RingSwarmer, .x = 0x6000, .y = 0x3000};
  world.Swarmers.Add() = Swarmer{.swarmerType = PlainSwarmer, .x = 0x9000, .y = 0x3000, .vx = -0x40};
  for (int32_t x : {0x3000, 0x6000, 0x9000}) Shot(x, 0x3000);
  ShotsAgainstEnemies();
  EXPECT_EQ(world.game.score, 3);
  const auto debris = All(world.Debris);
  ASSERT_EQ(debris.size(), 33u);
  EXPECT_EQ(debris[5],
            (DebrisPiece{96, 0x3200, 0x3200, 0x100 + SpeedCircle[4][40][0], SpeedCircle[4][40][1] - 0x300}));
  EXPECT_EQ(debris[32], (DebrisPiece{95, 0x9200, 0x3200, -0x40, -0x300}));
  EXPECT_EQ(world.game.debrisCursor, 0);  // neither takes its colours from DebrisSprites
  const auto bullets = All(world.EnemyBullets);
  ASSERT_EQ(bullets.size(), 16u);  // pattern 5, from the ring swarmer's centre
  EXPECT_EQ(bullets[3], (EnemyBullet{0x6200, 0x3200, SpeedCircle[1][48][0], SpeedCircle[1][48][1]}));
  EXPECT_EQ(world.sound.sfxRingBurst, 1);
}

TEST_F(Collisions, PodBurstsByType) {
  world.levelSettings.minePodPattern = 1;
  const int32_t types[] = {PlainPod, RingPod, HunterPod, MinePod, TreasurePod};
  for (int i = 0; i < 5; ++i) {
    world.Pods.Add() = Pod{.x = 0x1000 + 0x2000 * i, .y = 0x8000, .debrisVX = -0x180, .podType = types[i]};
    Shot(0x1100 + 0x2000 * i, 0x8100);
  }
  const Rng before = rng;
  ShotsAgainstEnemies();
  const auto swarmers = All(world.Swarmers);
  ASSERT_EQ(swarmers.size(), 80u);  // 32 plain, 16 ring, 32 hunters, first-made first
  EXPECT_EQ(swarmers[0], (Swarmer{PlainSwarmer, 0x1400, 0x8400, SpeedCircle[5][0][0], SpeedCircle[5][0][1]}));
  EXPECT_EQ(swarmers[33],
            (Swarmer{RingSwarmer, 0x3400, 0x8400, SpeedCircle[5][16][0], SpeedCircle[5][16][1], 0, 0, 1}));
  EXPECT_EQ(swarmers[79].swarmerType, HunterSwarmer);
  EXPECT_EQ(swarmers[79].retargetTimer, 31);
  ASSERT_EQ(world.EnemyBullets.Size(), 8);  // pattern 1, from the mine's centre
  EXPECT_EQ(All(world.EnemyBullets)[7].x, 0x7600);
  const auto debris = All(world.Debris);
  ASSERT_EQ(debris.size(), 257u);
  EXPECT_EQ(debris[0], (DebrisPiece{90, 0x7600, 0x8600, -0x180, -0x200}));
  rng = before;
  for (int i = 0; i < 256; ++i) {
    const int32_t r = Random(0x400);
    const int32_t vx = (SpeedCircle[5][i][0] * r) >> 10;
    const int32_t vy = ((SpeedCircle[5][i][1] * r) >> 10) - 0x200;
    ASSERT_EQ(debris[1 + i], (DebrisPiece{DebrisSprites[i + 1], 0x9200, 0x8200, vx, vy}));
  }
  EXPECT_EQ(world.game.score, 5);
}

TEST_F(Collisions, CarrierTakesHpPlusOneHitsWithAnExplosionEverySixteen) {
  world.Carriers.Add() = Carrier{.x = 0x2000, .y = 0x3000, .vx = 0x80, .hp = 12};
  for (int hit = 1; hit <= 13; ++hit) {
    world.sound = SoundRequests{};
    Shot(0x2800, 0x3800);
    ShotsAgainstEnemies();
    EXPECT_EQ(world.sound.sfxCarrierHit, 1);
    EXPECT_EQ(world.Debris.Size(), hit < 13 ? 0 : 24);
  }
  EXPECT_TRUE(world.Carriers.Empty());
  EXPECT_EQ(world.game.score, 1);
  EXPECT_EQ(All(world.Explosions), (std::vector<Explosion>{{0x3000, 0x3000, 0}, {0x3000, 0x3000, 0}}));
  EXPECT_EQ(All(world.Debris)[0].x, 0x3200);

  world = World{};
  world.Carriers.Add() = Carrier{.x = 0x2000, .y = 0x3000, .hp = 31};
  for (int i = 0; i < 15; ++i) Shot(0x2800, 0x3800);
  ShotsAgainstEnemies();  // all fifteen in one frame
  EXPECT_EQ(world.Explosions.Size(), 0);
  EXPECT_EQ(world.sound.sfxExplosion, 0);
  Shot(0x2800, 0x3800);
  ShotsAgainstEnemies();
  EXPECT_EQ(world.Explosions.Size(), 1);
  EXPECT_EQ(world.sound.sfxExplosion, 1);
  EXPECT_EQ(All(world.Carriers)[0].hp, 15);
}

TEST_F(Collisions, ShipAgainstEnemiesAndTheLevelClear) {
  GameState& g = world.game;
  g.playerX = 0x6000;
  g.playerY = 0x6000;
  g.satellites = 2;
  world.Creatures.Add() = Creature{.x = 0x5500, .y = 0x5A01};
  world.Pods.Add() = Pod{.x = 0x6BFF, .y = 0x5300};
  world.Swarmers.Add() = Swarmer{.x = 0x5C00, .y = 0x5E00};  // exactly on its right edge: a miss
  world.EnemyBullets.Add() = EnemyBullet{.x = 0x5F00, .y = 0x5F00};
  ShipAgainstEnemies();
  EXPECT_EQ(All(world.Explosions), std::vector<Explosion>(3, Explosion{0x6000, 0x5C00, 0}));
  EXPECT_EQ(g.deathTimer, 240);
  EXPECT_EQ(g.satellites, 1);
  EXPECT_EQ(world.Creatures.Size() + world.Pods.Size() + world.EnemyBullets.Size(), 3);

  // No enemies left: the clear count runs only while the ship flies, and the
  // bullets still flying become sparks.
  world.Creatures.Clear();
  world.Pods.Clear();
  world.Swarmers.Clear();
  world.Explosions.Clear();
  world.EnemyBullets.Add() = EnemyBullet{.x = 0x9000, .y = 0x2000};
  ShipAgainstEnemies();
  EXPECT_EQ(g.clearTimer, 0);
  EXPECT_EQ(world.EnemyBullets.Size(), 2);
  g.deathTimer = 0;
  ShipAgainstEnemies();
  EXPECT_EQ(g.clearTimer, 1);
  EXPECT_EQ(All(world.Sparks), (std::vector<Spark>{{0x8E00, 0x1E00, 0}, {0x5D00, 0x5D00, 0}}));
  EXPECT_TRUE(world.EnemyBullets.Empty());
  EXPECT_EQ(g.satellites, 1);
}

TEST_F(Collisions, ComboPickupsAndThePowerUp) {
  GameState& g = world.game;
  g.playerX = g.playerY = 0x8000;
  auto pickUp = [&](int32_t x, int32_t y) {
    world.Debris.Add() = DebrisPiece{.sprite = 91, .x = x, .y = y};
    const int32_t score = g.score;
    CollectPickups();
    return g.score - score;
  };
  auto frames = [&](int n) {
    for (int i = 0; i < n; ++i) g.comboTimer -= g.comboTimer != 0;  // the play frame's countdown
  };
  std::vector<int32_t> scores;
  for (int i = 0; i < 11; ++i, frames(1)) scores.push_back(pickUp(0x7601, 0x7601));
  EXPECT_EQ(scores, (std::vector<int32_t>{2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 2}));
  frames(54);
  EXPECT_EQ(pickUp(0x8000, 0x8000), 4);  // 55 frames after the last pickup
  frames(56);
  EXPECT_EQ(pickUp(0x8000, 0x8000), 2);
  EXPECT_EQ(pickUp(0x7600, 0x8000), 0);  // the box is strict
  EXPECT_EQ(All(world.ScoreLabels)[0], (ScoreLabel{100, 0x7601, 0x76, 32}));
  EXPECT_EQ(world.sound.sfxPickup, 1);

  g.satellites = 4;
  world.powerUp = PowerUp{1, 0x7700, 0x8500, 0x100, 0x100};
  CollectPickups();
  EXPECT_EQ(world.powerUp.powerUpActive, 0);
  EXPECT_EQ(g.satellites, 4);

  // On the frame of a hit the pickups still happen, and the combo goes on.
  world.Creatures.Add() = Creature{.x = 0x8000, .y = 0x8000};
  ShipAgainstEnemies();
  EXPECT_EQ(pickUp(0x8000, 0x8000), 4);
}

//-----------------------------------------------------------------------------
// Sounds, with the game's sound table loaded into the headless sound device.
//-----------------------------------------------------------------------------

class CollisionSounds : public Collisions {
 protected:
  void SetUp() override {
    Collisions::SetUp();
    platform::headless::ResetSound();
    ReleaseSounds();
    ASSERT_TRUE(InitSound());
    LoadSounds();
  }
  void TearDown() override {
    ReleaseSounds();
    platform::headless::ResetSound();
  }
  // The slots started since the last call.
  static std::set<int> Played() {
    std::set<int> slots;
    for (int n = 1; n < kSoundSlots; ++n) {
      const SoundSamples* s = FindSoundSamples(soundTable.slot[n]);
      if (s != nullptr && platform::IsSoundBufferPlaying(s->buffer)) slots.insert(n);
    }
    StopAllSounds();
    return slots;
  }
};

TEST_F(CollisionSounds, OneSoundPerKindInTurnAndTheOnesHeardAtOnce) {
  world.sound = SoundRequests{1, 1, 1, 1, 1, 1, 1};
  ServeSoundRequests();
  EXPECT_EQ(Played(), (std::set<int>{11, 2, 23, 19, 6, 7, 27}));
  EXPECT_EQ(world.sound, SoundRequests{});

  // Two kills in a frame are one explosion; the turns go on 24, 25, 22.
  for (int expected : {24, 25, 22}) {
    for (int32_t x : {0x2000, 0x6000}) {
      world.Creatures.Add() = Creature{.x = x, .y = 0x4000};
      Shot(x, 0x4000);
    }
    ShotsAgainstEnemies();
    ServeSoundRequests();
    EXPECT_EQ(Played(), (std::set<int>{expected}));
  }

  world.Pods.Add() = Pod{.x = 0x2000, .y = 0x4000, .podType = HunterPod};
  world.Carriers.Add() = Carrier{.x = 0x5000, .y = 0x4000};
  Shot(0x2000, 0x4000);
  Shot(0x5000, 0x4000);
  ShotsAgainstEnemies();
  EXPECT_EQ(Played(), (std::set<int>{1, 8}));
  world.game.playerX = world.game.playerY = 0x8000;
  world.powerUp = PowerUp{1, 0x8000, 0x8000, 0, 0};
  CollectPickups();
  EXPECT_EQ(Played(), (std::set<int>{10}));
}

}  // namespace
