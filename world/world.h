// The game world: the ten entity lists, the power-up, the player and game
// state, the level settings and the sound requests, all in one global.
//
// Positions and velocities are signed 32-bit values in 1/256 pixel; a pixel
// is the value shifted right by 8. The world is a ring 2048 pixels wide, and
// every world entity keeps its x relative to the screen's left edge: each
// frame it subtracts scrollSpeed and is wrapped back into -0x40000..0x40000
// (WrapWorldX). y grows downwards. Angles are 0..255 for a full turn, 0
// pointing right, growing downwards. Every timer counts frames.
//
// Everything here is plain data: `auto snap = world;` is a snapshot and `==`
// compares two of them. Tests start from a fresh `World{}`.
#pragma once

#include <cstdint>

#include "world/entity_list.h"

//-----------------------------------------------------------------------------
// Records. A new record is all zero; the code that makes it sets the fields it
// names and leaves the rest 0.
//-----------------------------------------------------------------------------

struct PlayerShot {
  int32_t x;       // screen-relative and not scrolled: shots move with the view
  int32_t y;
  int32_t vx;      // +0x800 or -0x800
  int32_t sprite;  // 22 flying right, 21 flying left

  bool operator==(const PlayerShot&) const = default;
};

struct Carrier {
  int32_t x;                // scrolled
  int32_t y;                // baseY plus the bob, from the first update on
  int32_t baseY;            // centre line of the bob
  int32_t vx;
  int32_t phase;            // 0..255: drives the bob and the launch half-cycle
  int32_t launchCountdown;  // frames to the next launch; reloaded from launchInterval
  int32_t launchInterval;
  int32_t creatureType;     // 1..12: the kind of creature launched
  int32_t hp;               // hits left; the carrier dies below 0

  bool operator==(const Carrier&) const = default;
};

struct ScoreLabel {
  int32_t sprite;  // 100 + combo step
  int32_t x;       // units, scrolled
  int32_t y;       // whole pixels
  int32_t life;    // frames left, from 32

  bool operator==(const ScoreLabel&) const = default;
};

struct Spark {
  int32_t x;
  int32_t y;
  int32_t frame;  // counts up from 0; drawn as sprite 40 + frame / 2

  bool operator==(const Spark&) const = default;
};

struct Explosion {
  int32_t x;
  int32_t y;
  int32_t frame;  // counts up from 0; drawn as sprite 44 + frame / 2

  bool operator==(const Explosion&) const = default;
};

struct Creature {
  int32_t x;             // scrolled
  int32_t y;
  int32_t vx;
  int32_t vy;
  int32_t ax;            // acceleration per frame
  int32_t ay;
  int32_t maxVX;         // speed limits
  int32_t maxVY;
  int32_t dirX;          // 1: accelerate towards +x, 0: towards -x
  int32_t dirY;          // 1: towards +y, 0: towards -y
  int32_t targetX;       // the point steered for; targetX scrolls with the world
  int32_t targetY;
  int32_t steerTimer;    // frames to the next steering decision
  int32_t steerPeriod;   // reload of steerTimer
  int32_t creatureType;  // 1..12: row of CreatureTypes; sprite 63 + creatureType

  bool operator==(const Creature&) const = default;
};

// Swarmer kinds; the kind is also the sprite number.
constexpr int32_t HunterSwarmer = 61;
constexpr int32_t PlainSwarmer = 62;
constexpr int32_t RingSwarmer = 63;

struct Swarmer {
  int32_t swarmerType;    // HunterSwarmer, PlainSwarmer or RingSwarmer
  int32_t x;              // scrolled
  int32_t y;
  int32_t vx;
  int32_t vy;
  int32_t targetVX;       // the velocity being approached
  int32_t targetVY;
  int32_t retargetTimer;  // frames to the next choice of target velocity

  bool operator==(const Swarmer&) const = default;
};

// Pod kinds; the kind is also the sprite number.
constexpr int32_t PlainPod = 80;
constexpr int32_t RingPod = 81;
constexpr int32_t HunterPod = 82;
constexpr int32_t MinePod = 83;
constexpr int32_t TreasurePod = 84;

struct Pod {
  int32_t x;         // scrolled
  int32_t y;
  int32_t debrisVX;  // horizontal speed of the debris of a MinePod burst
  int32_t heading;   // 0..255: direction of its random walk
  int32_t podType;   // PlainPod .. TreasurePod

  bool operator==(const Pod&) const = default;
};

struct DebrisPiece {
  int32_t sprite;  // 90..97, a colour
  int32_t x;       // moved by vx - scrollSpeed, never wrapped
  int32_t y;
  int32_t vx;
  int32_t vy;      // grows by gravity

  bool operator==(const DebrisPiece&) const = default;
};

struct EnemyBullet {
  int32_t x;
  int32_t y;
  int32_t vx;
  int32_t vy;

  bool operator==(const EnemyBullet&) const = default;
};

//-----------------------------------------------------------------------------
// The single power-up, the player and game state, the level settings and the
// sound requests.
//-----------------------------------------------------------------------------

// At most one power-up exists at a time.
struct PowerUp {
  int32_t powerUpActive;  // 1 while it exists
  int32_t x;              // screen-relative, scrolled
  int32_t y;
  int32_t vx;
  int32_t vy;

  bool operator==(const PowerUp&) const = default;
};

// Set by the new-game routine; StartLevel and play change them. The values
// given are those of a new game.
struct GameState {
  int32_t playerX;        // ship's screen x, 0x4800..0xA800 in flight
  int32_t playerY;        // ship's y, 0..0xD800
  int32_t facing;         // 1 facing right, 0 facing left (1)
  int32_t scrollSpeed;    // distance the view moves this frame; positive moves it right
  int32_t worldX;         // view position on the ring, 0..0x7FFFF; only the landscape uses it
  int32_t playerVY;       // vertical speed this frame
  int32_t fireHeld;       // fire input this frame, 0/1
  int32_t satellites;     // orbiting satellite guns, 0..4
  int32_t orbitPhase;     // the satellites' orbit angle, 0..255
  int32_t fireCountdown;  // frames until held fire repeats
  int32_t firePeriod;     // reload of fireCountdown (2)
  int32_t lives;          // spare lives (3)
  int32_t gameOverTimer;  // frames since the game was lost, 0 while playing
  int32_t level;          // current level, 1..21 (1, also before the first game)
  int32_t levelIntro;     // 1 while the level's opening caption may show (1)
  int32_t levelFrame;     // frames since the level started; the demonstration's replay index
  int32_t clearTimer;     // frames since the level was cleared, 0 while enemies remain
  int32_t debrisCursor;   // index into DebrisSprites, 0..511
  int32_t combo;          // combo step of debris pickups, 0..9
  int32_t comboTimer;     // frames left in which a pickup continues the combo
  int32_t score;
  int32_t nextLifeScore;  // score that gives the next extra life (1000)
  int32_t powerUpScore;   // score a creature kill must exceed to release a power-up (score + 100)
  int32_t deathTimer;     // 0 while the ship flies; 240 at death, 239 at level start; counts down
  int32_t inputVX;        // velocity the input asks for this frame
  int32_t inputVY;

  bool operator==(const GameState&) const = default;
};

// Set at every level start from the level's row of LevelTable.
struct LevelSettings {
  int32_t creatureFireTimer;     // frames to the next creature shot, shared by all creatures (256)
  int32_t creatureFireInterval;  // reload of creatureFireTimer (column 0)
  int32_t bulletSpeedRow;        // row of SpeedCircle for creature shots (column 1)
  int32_t swarmAccel;            // velocity step per frame of plain and ring swarmers (column 2)
  int32_t swarmPeriod;           // frames between their target choices (column 3)
  int32_t ringSwarmerPattern;    // bullet ring when a RingSwarmer dies, 1..8 (column 4)
  int32_t minePodPattern;        // bullet ring when a MinePod dies, 1..8 (column 5)
  int32_t hunterFireTimer;       // frames to the next hunter swarmer shot, shared (16)
  int32_t tableCursor;           // shared cursor into the random tables, 0..2047 (Random(2047))

  bool operator==(const LevelSettings&) const = default;
};

// Raised during a frame, turned into sounds at its end. A new game clears all
// but sfxLaunch, which only its serving clears.
struct SoundRequests {
  int32_t sfxEnemyFire;
  int32_t sfxCarrierHit;
  int32_t sfxExplosion;
  int32_t sfxPickup;
  int32_t sfxPodBurst;
  int32_t sfxRingBurst;
  int32_t sfxLaunch;

  bool operator==(const SoundRequests&) const = default;
};

// Turns of the effects that rotate through four slots, so that one can still
// be heard while the next starts. They start at 0 when the program starts and
// nothing resets them, not even a new game: the first explosion of a run
// plays slot 23.
struct SoundTurns {
  int32_t explosionTurn;  // sfxExplosion plays slot 22 + explosionTurn, advanced first
  int32_t pickupTurn;     // sfxPickup plays slot 18 + pickupTurn, advanced first
  int32_t launchTurn;     // sfxLaunch plays slot 26 + launchTurn, advanced first
  int32_t volleyTurn;     // a volley plays slot 14 + volleyTurn, advanced first

  bool operator==(const SoundTurns&) const = default;
};

//-----------------------------------------------------------------------------
// The world
//-----------------------------------------------------------------------------

struct World {
  EntityList<PlayerShot> PlayerShots;    // fired by the ship and its satellites
  EntityList<Carrier> Carriers;          // placed by StartLevel
  EntityList<ScoreLabel> ScoreLabels;    // floating combo labels
  EntityList<Spark> Sparks;              // small hit flashes
  EntityList<Explosion> Explosions;      // large explosions
  EntityList<Creature> Creatures;        // launched by carriers
  EntityList<Swarmer> Swarmers;          // hunter waves and pod bursts
  EntityList<Pod> Pods;                  // placed by StartLevel
  EntityList<DebrisPiece> Debris;        // falling debris
  EntityList<EnemyBullet> EnemyBullets;  // creature, hunter and burst shots
  PowerUp powerUp{};                     // the single power-up
  GameState game{.level = 1};            // player and game state; level 1 before the first game
  LevelSettings levelSettings{};         // this level's settings
  SoundRequests sound{};                 // sound requests of this frame
  SoundTurns soundTurns{};               // rotation of the four-slot effects; kept for the whole run

  bool operator==(const World&) const = default;
};

extern World world;

// Empties every entity list, in the order PlayerShots, Carriers, Sparks,
// Explosions, Creatures, Swarmers, Pods, Debris, EnemyBullets, ScoreLabels.
void ClearAllEntities();

// Empties every list but PlayerShots, in the same order.
void ClearAllButPlayerShots();

// A fingerprint of the ten entity lists, to compare two runs of the game:
// 64-bit FNV-1a (offset basis 0xcbf29ce484222325, prime 0x100000001b3), fed
// byte by byte with the lists in the order PlayerShots, Carriers, ScoreLabels,
// Sparks, Explosions, Creatures, Swarmers, Pods, Debris, EnemyBullets, each
// from its front in list order, each record's fields in their declared order,
// each field as a little-endian 32-bit integer.
uint64_t HashEntityLists(const World& w);

// The same fed on with the power-up, the game state and the level settings,
// in their fields' order: a fingerprint of everything a frame of play
// changes but the generator and the sounds.
uint64_t HashWorld(const World& w);

// An x moved relative to the screen, brought back within half a world of the
// screen's left edge. Both tests are strict: exactly 0x40000 or -0x40000
// stays where it is.
constexpr int32_t WrapWorldX(int32_t x) {
  if (x > 0x40000) return x - 0x80000;
  if (x < -0x40000) return x + 0x80000;
  return x;
}
