// Shots against enemies, the ship against enemies and bullets, pickups and
// the sound requests: what each contact leaves behind.
#include <gtest/gtest.h>

#include <set>
#include <utility>
#include <vector>

#include "audio/sound.h"
#include "levels/random.h"
#include "platform/headless/internal.h"
#include "platform/sound_device.h"
#include "world/collisions.h"
#include "world/tables.h"
#include "world/world.h"

namespace {

using Ints = std::vector<int32_t>;

template <typename Record>
std::vector<Record> All(const EntityList<Record>& list) {  // front to back
  std::vector<Record> records;
  list.ForEach([&](const Record& r) { records.push_back(r); });
  return records;
}

void Shots(std::initializer_list<std::pair<int32_t, int32_t>> at) {
  for (auto [x, y] : at) world.PlayerShots.Add() = PlayerShot{.x = x, .y = y};
}

class Collisions : public ::testing::Test {  // with the game's sound table in the headless sound device
 protected:
  void SetUp() override {
    world = World{};
    BuildStartUpTables();
    RandomSeed(4321);
    BuildGameTables();
    TearDown();
    ASSERT_TRUE(InitSound());
    LoadSounds();
  }
  void TearDown() override {
    ReleaseSounds();
    platform::headless::ResetSound();
  }
  static std::set<int> Played() {  // the slots started since the last call
    std::set<int> slots;
    for (int n = 1; n < kSoundSlots; ++n) {
      const SoundSamples* s = FindSoundSamples(soundTable.slot[n]);
      if (s != nullptr && platform::IsSoundBufferPlaying(s->buffer)) slots.insert(n);
    }
    StopAllSounds();
    return slots;
  }
};

TEST_F(Collisions, TwoShotsKillACreatureOnceTheEarlierCreatureTakesAShotAndThePowerUpComes) {
  // Creatures A and B overlap; A takes the shot at the shared point, the one on A's left edge stays.
  world.Creatures.Add() = Creature{.x = 0x5000, .y = 0x4000, .vx = 0x180};
  world.Creatures.Add() = Creature{.x = 0x5400, .y = 0x4000, .vx = -0x80};
  Shots({{0x5800, 0x4100}, {0x5100, 0x4200}, {0x4C00, 0x4100}});
  const Rng before = rng;
  ShotsAgainstEnemies();
  EXPECT_EQ(All(world.Creatures), std::vector<Creature>{(Creature{.x = 0x5400, .y = 0x4000, .vx = -0x80})});
  EXPECT_EQ(All(world.PlayerShots), std::vector<PlayerShot>{(PlayerShot{.x = 0x4C00, .y = 0x4100})});
  EXPECT_EQ(All(world.Sparks), (std::vector<Spark>{{0x5800, 0x3F00, 0}, {0x5100, 0x4000, 0}}));
  EXPECT_EQ(All(world.Explosions), (std::vector<Explosion>{{0x5000, 0x3C00, 0}}));
  EXPECT_EQ((Ints{world.game.score, world.game.debrisCursor, world.sound.sfxExplosion}), (Ints{1, 3, 1}));
  EXPECT_EQ(world.powerUp, (PowerUp{1, 0x5000, 0x4000, 0x180, 0x100}));  // past powerUpScore 0, heading down
  // Three debris: the cursor advances, then vx and vy are drawn in turn.
  rng = before;
  std::vector<DebrisPiece> expected;
  for (int i = 1; i <= 3; ++i) {
    const int32_t vx = 0x180 + Random(0x200) - 0x100;
    expected.push_back({DebrisSprites[i], 0x5200, 0x4000, vx, -0x100 - Random(0x400)});
  }
  EXPECT_EQ(All(world.Debris), expected);
  // The power-up comes only when none is out, heading away from the ship; the mark moves on anyway.
  world = World{.game = {.playerY = 0x8000, .level = 1, .score = 100, .powerUpScore = 100}};
  world.Creatures.Add() = Creature{.x = 0x3000, .y = 0x4000, .vx = 0x200};
  Shots({{0x3100, 0x4100}});
  ShotsAgainstEnemies();
  EXPECT_EQ(world.game.powerUpScore, 351);
  EXPECT_EQ(world.powerUp, (PowerUp{1, 0x3000, 0x4000, 0x200, -0x100}));
  world.game.score = 351;
  world.Creatures.Add() = Creature{.x = 0x7000, .y = 0x9000};
  Shots({{0x7100, 0x9100}});
  ShotsAgainstEnemies();
  EXPECT_EQ((Ints{world.game.powerUpScore, world.powerUp.x}), (Ints{602, 0x3000}));  // the first one still out
}

// Each box is strict on all four sides: shots exactly on its edges stay, one unit inside its corners are taken.
TEST_F(Collisions, EnemyBoxesForShotsAreStrict) {
  world.Creatures.Add() = Creature{.x = 0x2000};
  world.Swarmers.Add() = Swarmer{.swarmerType = PlainSwarmer, .x = 0x6000};
  world.Pods.Add() = Pod{.x = 0xA000, .podType = 99};
  world.Carriers.Add() = Carrier{.x = 0xE000, .hp = 40};
  const int32_t boxes[][4] = {  // x, all at y 0; every left edge is x - 0x400: right, top and bottom edges
      {0x2000, 0xE00, -0x200, 0xB00}, {0x6000, 0x600, -0x300, 0x700}, {0xA000, 0xE00, -0x200, 0xF00},
      {0xE000, 0x2E00, -0x200, 0xF00}};
  for (auto [x, right, top, bottom] : boxes) Shots({{x - 0x400, 1}, {x + right, 1}, {x + 1, top}, {x + 1, bottom}});
  ShotsAgainstEnemies();
  EXPECT_EQ(world.Sparks.Size(), 0);
  world.PlayerShots.Clear();
  for (auto [x, right, top, bottom] : boxes) Shots({{x - 0x3FF, top + 1}, {x + right - 1, bottom - 1}});
  ShotsAgainstEnemies();
  EXPECT_EQ(world.Sparks.Size(), 8);
}

TEST_F(Collisions, SwarmersAndPodsDieByKind) {
  world.levelSettings.ringSwarmerPattern = 5;
  world.Swarmers.Add() = Swarmer{.swarmerType = HunterSwarmer, .x = 0x3000, .y = 0x3000, .vx = 0x100};
  world.Swarmers.Add() = Swarmer{.swarmerType = RingSwarmer, .x = 0x6000, .y = 0x3000};
  world.Swarmers.Add() = Swarmer{.swarmerType = PlainSwarmer, .x = 0x9000, .y = 0x3000, .vx = -0x40};
  Shots({{0x3000, 0x3000}, {0x6000, 0x3000}, {0x9000, 0x3000}});
  ShotsAgainstEnemies();
  EXPECT_EQ((Ints{world.game.score, world.game.debrisCursor, world.sound.sfxRingBurst}), (Ints{3, 0, 1}));
  const auto debris = All(world.Debris);
  ASSERT_EQ(debris.size(), 33u);
  EXPECT_EQ(debris[5], (DebrisPiece{96, 0x3200, 0x3200, 0x100 + SpeedCircle[4][40][0], SpeedCircle[4][40][1] - 0x300}));
  EXPECT_EQ(debris[32], (DebrisPiece{95, 0x9200, 0x3200, -0x40, -0x300}));  // neither colour from DebrisSprites
  const auto bullets = All(world.EnemyBullets);
  ASSERT_EQ(bullets.size(), 16u);  // pattern 5, from the ring swarmer's centre
  EXPECT_EQ(bullets[3], (EnemyBullet{0x6200, 0x3200, SpeedCircle[1][48][0], SpeedCircle[1][48][1]}));
  // Pods burst by type.
  world = World{.levelSettings = {.minePodPattern = 1}};
  for (int32_t i = 0; i < 5; ++i) {  // PlainPod .. TreasurePod
    world.Pods.Add() = Pod{.x = 0x1000 + 0x2000 * i, .y = 0x8000, .debrisVX = -0x180, .podType = PlainPod + i};
    Shots({{0x1100 + 0x2000 * i, 0x8100}});
  }
  const Rng before = rng;
  ShotsAgainstEnemies();
  EXPECT_EQ(world.game.score, 5);
  EXPECT_EQ(Played(), (std::set<int>{1}));  // the hunter pod's alarm at once; the rest are requests
  const auto swarmers = All(world.Swarmers);
  ASSERT_EQ(swarmers.size(), 80u);  // 32 plain, 16 ring, 32 hunters, first-made first
  EXPECT_EQ(swarmers[0], (Swarmer{PlainSwarmer, 0x1400, 0x8400, SpeedCircle[5][0][0], SpeedCircle[5][0][1]}));
  EXPECT_EQ(swarmers[33],
            (Swarmer{RingSwarmer, 0x3400, 0x8400, SpeedCircle[5][16][0], SpeedCircle[5][16][1], 0, 0, 1}));
  EXPECT_EQ((Ints{swarmers[79].swarmerType, swarmers[79].retargetTimer}), (Ints{HunterSwarmer, 31}));
  ASSERT_EQ(world.EnemyBullets.Size(), 8);  // pattern 1, from the mine's centre
  EXPECT_EQ(All(world.EnemyBullets)[7].x, 0x7600);
  // The mine's piece, then the treasure's 256, each at a random fraction of its direction's speed.
  rng = before;
  std::vector<DebrisPiece> expected = {{90, 0x7600, 0x8600, -0x180, -0x200}};
  for (int i = 0; i < 256; ++i) {
    const int32_t r = Random(0x400);
    expected.push_back({DebrisSprites[i + 1], 0x9200, 0x8200, (SpeedCircle[5][i][0] * r) >> 10,
                        ((SpeedCircle[5][i][1] * r) >> 10) - 0x200});
  }
  EXPECT_EQ(All(world.Debris), expected);
}

TEST_F(Collisions, CarrierTakesHpPlusOneHitsWithAnExplosionEverySixteen) {
  world.Carriers.Add() = Carrier{.x = 0x2000, .y = 0x3000, .vx = 0x80, .hp = 12};
  for (int hit = 1; hit <= 13; ++hit) {
    world.sound = SoundRequests{};
    Shots({{0x2800, 0x3800}});
    ShotsAgainstEnemies();
    EXPECT_EQ((Ints{world.sound.sfxCarrierHit, world.Debris.Size()}), (Ints{1, hit < 13 ? 0 : 24})) << hit;
  }
  EXPECT_EQ((Ints{world.Carriers.Size(), world.game.score, All(world.Debris)[0].x}), (Ints{0, 1, 0x3200}));
  EXPECT_EQ(Played(), (std::set<int>{8}));  // heard at once
  EXPECT_EQ(All(world.Explosions), (std::vector<Explosion>{{0x3000, 0x3000, 0}, {0x3000, 0x3000, 0}}));
  world = World{};
  world.Carriers.Add() = Carrier{.x = 0x2000, .y = 0x3000, .hp = 31};
  for (int i = 0; i < 15; ++i) Shots({{0x2800, 0x3800}});
  ShotsAgainstEnemies();  // all fifteen in one frame
  EXPECT_EQ(world.Explosions.Size() + world.sound.sfxExplosion, 0);
  Shots({{0x2800, 0x3800}});
  ShotsAgainstEnemies();
  EXPECT_EQ((Ints{world.Explosions.Size(), world.sound.sfxExplosion, All(world.Carriers)[0].hp}), (Ints{1, 1, 15}));
}

TEST_F(Collisions, ShipAgainstEnemiesAndTheLevelClear) {
  GameState& g = world.game = GameState{.playerX = 0x6000, .playerY = 0x6000, .satellites = 2, .level = 1};
  world.Creatures.Add() = Creature{.x = 0x5500, .y = 0x5A01};
  world.Pods.Add() = Pod{.x = 0x6BFF, .y = 0x5300};
  world.Swarmers.Add() = Swarmer{.x = 0x5C00, .y = 0x5E00};  // exactly on its right edge: a miss
  world.EnemyBullets.Add() = EnemyBullet{.x = 0x5F00, .y = 0x5F00};
  ShipAgainstEnemies();
  EXPECT_EQ(All(world.Explosions), std::vector<Explosion>(3, Explosion{0x6000, 0x5C00, 0}));
  EXPECT_EQ((Ints{g.deathTimer, g.satellites}), (Ints{240, 1}));
  EXPECT_EQ(world.Creatures.Size() + world.Pods.Size() + world.EnemyBullets.Size(), 3);  // all unharmed
  // No enemies left: the clear count runs only while the ship flies, and the bullets still flying become sparks.
  ClearAllEntities();
  world.EnemyBullets.Add() = EnemyBullet{.x = 0x9000, .y = 0x2000};
  world.EnemyBullets.Add() = EnemyBullet{.x = 0x5F00, .y = 0x5F00};  // the one that hit the ship
  ShipAgainstEnemies();
  EXPECT_EQ((Ints{g.clearTimer, world.EnemyBullets.Size()}), (Ints{0, 2}));
  g.deathTimer = 0;
  ShipAgainstEnemies();
  EXPECT_EQ((Ints{g.clearTimer, world.EnemyBullets.Size(), g.satellites}), (Ints{1, 0, 1}));
  EXPECT_EQ(All(world.Sparks), (std::vector<Spark>{{0x8E00, 0x1E00, 0}, {0x5D00, 0x5D00, 0}}));
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
  Ints scores;  // a frame apart; each play frame counts comboTimer down
  for (int i = 0; i < 11; ++i, --g.comboTimer) scores.push_back(pickUp(0x7601, 0x7601));
  EXPECT_EQ(scores, (Ints{2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 2}));
  g.comboTimer -= 54;
  EXPECT_EQ(pickUp(0x8000, 0x8000), 4);  // 55 frames after the last pickup
  g.comboTimer -= 56;
  EXPECT_EQ(pickUp(0x8000, 0x8000), 2);
  EXPECT_EQ(pickUp(0x7600, 0x8000), 0);  // the box is strict
  EXPECT_EQ(All(world.ScoreLabels)[0], (ScoreLabel{100, 0x7601, 0x76, 32}));
  g.satellites = 4;
  world.powerUp = PowerUp{1, 0x7700, 0x8500, 0x100, 0x100};
  CollectPickups();
  EXPECT_EQ((Ints{world.powerUp.powerUpActive, g.satellites, world.sound.sfxPickup}), (Ints{0, 4, 1}));
  EXPECT_EQ(Played(), (std::set<int>{10}));  // the extra life, heard at once
  // On the frame of a hit the pickups still happen, and the combo goes on.
  world.Creatures.Add() = Creature{.x = 0x8000, .y = 0x8000};
  ShipAgainstEnemies();
  EXPECT_EQ(pickUp(0x8000, 0x8000), 4);
}

TEST_F(Collisions, EachRequestPlaysOneSoundTheRotatingOnesInTurn) {
  world.sound = SoundRequests{1, 1, 1, 1, 1, 1, 1};
  ServeSoundRequests();
  EXPECT_EQ(Played(), (std::set<int>{11, 2, 23, 19, 6, 7, 27}));
  for (int expected : {24, 25, 22}) {  // two kills in a frame are one explosion; the turns go on
    for (int32_t x : {0x2000, 0x6000}) world.Creatures.Add() = Creature{.x = x, .y = 0x4000};
    Shots({{0x2000, 0x4000}, {0x6000, 0x4000}});
    ShotsAgainstEnemies();
    ServeSoundRequests();
    EXPECT_EQ(Played(), (std::set<int>{expected}));
  }
}

}  // namespace
