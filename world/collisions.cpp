//-----------------------------------------------------------------------------
// Collisions, scoring and pickups.
//
// [SECTION] Shared pieces
// [SECTION] Shots against enemies
// [SECTION] The ship against enemies and bullets
// [SECTION] Pickups
// [SECTION] Sound requests
//
// Every pass below starts from the front of its list (First) and runs to
// its end, which leaves no current element: records added since the list's
// last pass stand at its front and are visited too.
//-----------------------------------------------------------------------------
#include "world/collisions.h"

#include <cstdint>

#include "audio/sound.h"
#include "levels/random.h"
#include "world/enemies.h"
#include "world/tables.h"
#include "world/world.h"

namespace {

//-----------------------------------------------------------------------------
// [SECTION] Shared pieces
//-----------------------------------------------------------------------------

void AddExplosion(int32_t x, int32_t y) {
  Explosion& e = world.Explosions.Add();
  e.x = x;
  e.y = y;
}

// A piece of debris coloured by the next entry of DebrisSprites.
DebrisPiece& AddCursorDebris(int32_t x, int32_t y) {
  GameState& g = world.game;
  g.debrisCursor = (g.debrisCursor + 1) & 511;
  DebrisPiece& d = world.Debris.Add();
  d.sprite = DebrisSprites[g.debrisCursor];
  d.x = x;
  d.y = y;
  return d;
}

DebrisPiece& AddDebris(int32_t sprite, int32_t x, int32_t y, int32_t vx, int32_t vy) {
  DebrisPiece& d = world.Debris.Add();
  d.sprite = sprite;
  d.x = x;
  d.y = y;
  d.vx = vx;
  d.vy = vy;
  return d;
}

// Every player shot strictly inside the box is used up: a spark where it
// struck, and the shot is gone. Returns how many there were.
int32_t ConsumeShots(int32_t left, int32_t right, int32_t top, int32_t bottom) {
  EntityList<PlayerShot>& shots = world.PlayerShots;
  int32_t hits = 0;
    for (PlayerShot* s = shots.First(); s; s = shots.Next()) {
    if (s->x > left && s->x < right && s->y > top && s->y < bottom) {
      Spark& spark = world.Sparks.Add();
      spark.x = s->x;
      spark.y = s->y - 0x200;
      shots.DeleteCurrent();
      ++hits;
    }
  }
  return hits;
}

//-----------------------------------------------------------------------------
// [SECTION] Shots against enemies
//-----------------------------------------------------------------------------

// A creature kill: a point, perhaps the power-up, an explosion and three
// pieces of debris thrown up around its own speed.
void KillCreature(const Creature& c) {
  GameState& g = world.game;
  g.score += 1;
  // A kill that takes the score past powerUpScore is a power-up chance; the
  // mark moves on even when the power-up is already out.
  if (g.score > g.powerUpScore) {
    g.powerUpScore = g.score + 250;
    if (world.powerUp.powerUpActive == 0) {
      PowerUp& p = world.powerUp;
      p.powerUpActive = 1;
      p.x = c.x;
      p.y = c.y;
      p.vx = c.vx;
      p.vy = c.y < g.playerY ? -0x100 : 0x100;  // heads away from the ship
    }
  }
  AddExplosion(c.x, c.y - 0x400);
  for (int i = 0; i < 3; ++i) {
    DebrisPiece& d = AddCursorDebris(c.x + 0x200, c.y);
    d.vx = c.vx + Random(0x200) - 0x100;
    d.vy = -0x100 - Random(0x400);
  }
  world.sound.sfxExplosion = 1;
}

void ShotsAgainstCreatures() {
  EntityList<Creature>& creatures = world.Creatures;
    for (Creature* c = creatures.First(); c; c = creatures.Next()) {
    if (ConsumeShots(c->x - 0x400, c->x + 0xE00, c->y - 0x200, c->y + 0xB00) == 0) continue;
    KillCreature(*c);
    creatures.DeleteCurrent();
  }
}

// A swarmer kill: a point and an explosion, then by kind a bullet ring, a
// ring of 32 debris, or a single piece.
void KillSwarmer(const Swarmer& s) {
  World& w = world;
  w.game.score += 1;
  AddExplosion(s.x - 0x400, s.y - 0x400);
  const int32_t cx = s.x + 0x200;
  const int32_t cy = s.y + 0x200;
  switch (s.swarmerType) {
    case RingSwarmer:
      w.sound.sfxRingBurst = 1;
      FireBulletRing(w.levelSettings.ringSwarmerPattern, cx, cy);
      break;
    case HunterSwarmer:
      for (int32_t i = 0; i < 32; ++i) {
        AddDebris(96, cx, cy, s.vx + SpeedCircle[4][8 * i][0], SpeedCircle[4][8 * i][1] - 0x300);
      }
      w.sound.sfxExplosion = 1;
      break;
    case PlainSwarmer:
      AddDebris(95, cx, cy, s.vx, -0x300);
      w.sound.sfxExplosion = 1;
      break;
    default:
      break;
  }
}

void ShotsAgainstSwarmers() {
  EntityList<Swarmer>& swarmers = world.Swarmers;
    for (Swarmer* s = swarmers.First(); s; s = swarmers.Next()) {
    if (ConsumeShots(s->x - 0x400, s->x + 0x600, s->y - 0x300, s->y + 0x700) == 0) continue;
    KillSwarmer(*s);
    swarmers.DeleteCurrent();
  }
}

// count swarmers of one kind fly out of a burst pod at (x, y), evenly spread
// round the circle, each due to retarget one frame after the one before.
void ReleaseSwarm(int32_t swarmerType, int32_t count, int32_t angleStep, int32_t x, int32_t y) {
  for (int32_t i = 0; i < count; ++i) {
    Swarmer& s = world.Swarmers.Add();
    s.swarmerType = swarmerType;
    s.x = x;
    s.y = y;
    s.vx = SpeedCircle[5][angleStep * i][0];
    s.vy = SpeedCircle[5][angleStep * i][1];
    s.retargetTimer = i;
  }
}

// A pod burst: a point and an explosion, then what the pod held.
void BurstPod(const Pod& p) {
  World& w = world;
  w.game.score += 1;
  AddExplosion(p.x, p.y);
  const int32_t sx = p.x + 0x400;
  const int32_t sy = p.y + 0x400;
  switch (p.podType) {
    case PlainPod:
      w.sound.sfxPodBurst = 1;
      ReleaseSwarm(PlainSwarmer, 32, 8, sx, sy);
      break;
    case RingPod:
      w.sound.sfxPodBurst = 1;
      ReleaseSwarm(RingSwarmer, 16, 16, sx, sy);
      break;
    case HunterPod:
      PlaySound(soundTable.slot[kSoundHunterAlarm], 0);
      w.sound.sfxPodBurst = 1;
      ReleaseSwarm(HunterSwarmer, 32, 8, sx, sy);
      break;
    case MinePod:
      w.sound.sfxRingBurst = 1;
      AddDebris(90, p.x + 0x600, p.y + 0x600, p.debrisVX, -0x200);
      FireBulletRing(w.levelSettings.minePodPattern, p.x + 0x600, p.y + 0x600);
      break;
    case TreasurePod:
      // 256 pieces in every direction at random speeds up to 3.5 pixels per
      // frame, with a lift of 2 pixels.
      w.sound.sfxPodBurst = 1;
      for (int32_t i = 0; i < 256; ++i) {
        const int32_t r = Random(0x400);
        DebrisPiece& d = AddCursorDebris(p.x + 0x200, p.y + 0x200);
        d.vx = (SpeedCircle[5][i][0] * r) >> 10;
        d.vy = ((SpeedCircle[5][i][1] * r) >> 10) - 0x200;
      }
      break;
    default:
      break;
  }
}

void ShotsAgainstPods() {
  EntityList<Pod>& pods = world.Pods;
    for (Pod* p = pods.First(); p; p = pods.Next()) {
    if (ConsumeShots(p->x - 0x400, p->x + 0xE00, p->y - 0x200, p->y + 0xF00) == 0) continue;
    BurstPod(*p);
    pods.DeleteCurrent();
  }
}

// One hit on a carrier. Every sixteenth hit (hp AND 15 = 0 before the hit)
// shows an explosion; the one at hp 0, the last, also bursts it into debris.
void HitCarrier(Carrier& c) {
  World& w = world;
  if ((c.hp & 15) == 0) {
    if (c.hp == 0) {
      for (int i = 0; i < 24; ++i) {
        DebrisPiece& d = AddCursorDebris(c.x + 0x1200, c.y);
        d.vx = c.vx + Random(0x400) - 0x200;
        d.vy = -0x100 - Random(0x400);
      }
    } else {
      w.sound.sfxExplosion = 1;
    }
    AddExplosion(c.x + 0x1000, c.y);
  }
  c.hp -= 1;
  w.sound.sfxCarrierHit = 1;
}

// A carrier placed with hp h takes h + 1 hits.
void ShotsAgainstCarriers() {
  World& w = world;
  EntityList<Carrier>& carriers = w.Carriers;
    for (Carrier* c = carriers.First(); c; c = carriers.Next()) {
    const int32_t hits = ConsumeShots(c->x - 0x400, c->x + 0x2E00, c->y - 0x200, c->y + 0xF00);
    for (int32_t i = 0; i < hits; ++i) HitCarrier(*c);
    if (c->hp < 0) {
      AddExplosion(c->x + 0x1000, c->y);
      carriers.DeleteCurrent();
      w.game.score += 1;
      PlaySound(soundTable.slot[kSoundCarrierDestroyed], 0);
    }
  }
}

//-----------------------------------------------------------------------------
// [SECTION] The ship against enemies and bullets
//-----------------------------------------------------------------------------

// The ship is hit: an explosion where it flew. The enemy is unharmed.
void HitShip() {
  GameState& g = world.game;
  AddExplosion(g.playerX, g.playerY - 0x400);
  g.deathTimer = 240;
}

// Passes over one enemy list, counting its members and testing the ship's
// point against the box x + left .. x + right, y + top .. y + bottom.
template <typename Record>
int32_t ShipAgainst(EntityList<Record>& list, int32_t left, int32_t right, int32_t top, int32_t bottom) {
  const int32_t px = world.game.playerX;
  const int32_t py = world.game.playerY;
  int32_t count = 0;
    for (Record* e = list.First(); e; e = list.Next()) {
    ++count;
    if (px > e->x + left && px < e->x + right && py > e->y + top && py < e->y + bottom) HitShip();
  }
  return count;
}

}  // namespace

void ShotsAgainstEnemies() {
  ShotsAgainstCreatures();
  ShotsAgainstSwarmers();
  ShotsAgainstPods();
  ShotsAgainstCarriers();
}

void ShipAgainstEnemies() {
  World& w = world;
  GameState& g = w.game;
  if (g.deathTimer != 0) return;

  int32_t enemies = 0;
  enemies += ShipAgainst(w.Carriers, -0xC00, 0x2C00, -0x600, 0xE00);
  enemies += ShipAgainst(w.Creatures, -0xC00, 0xC00, -0x600, 0xA00);
  enemies += ShipAgainst(w.Pods, -0xC00, 0xC00, -0x600, 0xE00);
  enemies += ShipAgainst(w.Swarmers, -0xE00, 0x400, -0x600, 0x500);

  if (enemies == 0) {
    // The level is clear: count on, and what is still flying fizzles out.
    g.clearTimer += 1;
    EntityList<EnemyBullet>& bullets = w.EnemyBullets;
        for (EnemyBullet* b = bullets.First(); b; b = bullets.Next()) {
      Spark& s = w.Sparks.Add();
      s.x = b->x - 0x200;
      s.y = b->y - 0x200;
      bullets.DeleteCurrent();
    }
  } else {
    // A bullet that hits the ship flies on.
    ShipAgainst(w.EnemyBullets, -0xE00, 0x200, -0x600, 0x200);
  }

  // However many things hit it, the ship loses one satellite.
  if (g.deathTimer == 240 && g.satellites > 0) g.satellites -= 1;
}

//-----------------------------------------------------------------------------
// [SECTION] Pickups
//-----------------------------------------------------------------------------

void CollectPickups() {
  World& w = world;
  GameState& g = w.game;
  const int32_t px = g.playerX;
  const int32_t py = g.playerY;

  // Debris picked up within 56 frames of the last continues the combo: 2, 4,
  // ... 20 points, then 2 again.
  EntityList<DebrisPiece>& debris = w.Debris;
    for (DebrisPiece* d = debris.First(); d; d = debris.Next()) {
    if (!(px > d->x - 0xE00 && px < d->x + 0xA00 && py > d->y - 0x600 && py < d->y + 0xA00)) continue;
    if (g.comboTimer == 0) {
      g.combo = 0;
    } else {
      g.combo += 1;
      if (g.combo > 9) g.combo = 0;
    }
    g.comboTimer = 56;
    ScoreLabel& label = w.ScoreLabels.Add();
    label.sprite = 100 + g.combo;
    label.x = d->x;
    label.y = d->y >> 8;
    label.life = 32;
    debris.DeleteCurrent();
    w.sound.sfxPickup = 1;
    g.score += 2 * (g.combo + 1);
  }

  const PowerUp& p = w.powerUp;
  if (p.powerUpActive != 0 && px > p.x - 0xE00 && px < p.x + 0xA00 && py > p.y - 0x600 && py < p.y + 0xA00) {
    w.powerUp = PowerUp{};
    if (g.satellites < 4) g.satellites += 1;
    PlaySound(soundTable.slot[kSoundExtraLife], 0);
  }
}

//-----------------------------------------------------------------------------
// [SECTION] Sound requests
//-----------------------------------------------------------------------------

void ServeSoundRequests() {
  SoundRequests& r = world.sound;
  SoundTurns& t = world.soundTurns;
  const int32_t* slot = soundTable.slot;
  if (r.sfxEnemyFire != 0) {
    r.sfxEnemyFire = 0;
    PlaySound(slot[kSoundEnemyFire], 0);
  }
  if (r.sfxCarrierHit != 0) {
    r.sfxCarrierHit = 0;
    PlaySound(slot[kSoundClick], 0);
  }
  if (r.sfxExplosion != 0) {
    r.sfxExplosion = 0;
    t.explosionTurn = (t.explosionTurn + 1) & 3;
    PlaySound(slot[kSoundExplosion + t.explosionTurn], 0);
  }
  if (r.sfxPickup != 0) {
    r.sfxPickup = 0;
    t.pickupTurn = (t.pickupTurn + 1) & 3;
    PlaySound(slot[kSoundPickup + t.pickupTurn], 0);
  }
  if (r.sfxPodBurst != 0) {
    r.sfxPodBurst = 0;
    PlaySound(slot[kSoundPodBurst], 0);
  }
  if (r.sfxRingBurst != 0) {
    r.sfxRingBurst = 0;
    PlaySound(slot[kSoundRingBurst], 0);
  }
  if (r.sfxLaunch != 0) {
    r.sfxLaunch = 0;
    t.launchTurn = (t.launchTurn + 1) & 3;
    PlaySound(slot[kSoundLaunch + t.launchTurn], 0);
  }
}
