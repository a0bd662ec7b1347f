//-----------------------------------------------------------------------------
// The game frame: the player's ship, its fire and satellites, death and
// respawn, extra lives, hunter waves, the power-up's flight, captions and the
// level flow. The enemies, collisions and effects it calls live beside it.
//-----------------------------------------------------------------------------
#include "world/game.h"

#include <algorithm>
#include <cstdlib>

#include "assets/embedded.h"
#include "audio/music.h"
#include "audio/sound.h"
#include "input/game_input.h"
#include "input/input.h"
#include "levels/level_progression.h"
#include "levels/random.h"
#include "persist/settings.h"
#include "render/display.h"
#include "render/graphics.h"
#include "render/text.h"
#include "world/collisions.h"
#include "world/drawing.h"
#include "world/effects.h"
#include "world/enemies.h"
#include "world/landscape.h"
#include "world/tables.h"
#include "world/world.h"

int16_t demoInput[3][kDemoFrames + 1][3];

void LoadDemoInput() {
  const EmbeddedFile* file = FindEmbeddedFile("demos.bin");
  int16_t* out = &demoInput[0][0][0];
  constexpr size_t kValues = sizeof demoInput / sizeof(int16_t);
  for (size_t i = 0; i < kValues; ++i) {
    const bool present = file != nullptr && 2 * i + 1 < file->size;
    out[i] = present ? static_cast<int16_t>(file->data[2 * i] | file->data[2 * i + 1] << 8) : 0;
  }
}

namespace {

constexpr int32_t kMoveThreshold = 96;    // smaller requests leave the ship standing
constexpr int32_t kFlyingYAtEntry = 0x6C00;
constexpr int32_t kLeftmostX = 0x4800;    // where the ship flies facing right
constexpr int32_t kRightmostX = 0xA800;   // ... and facing left
constexpr int32_t kDeathFrames = 240;
constexpr int32_t kEntryStart = 200;      // the entry run: deathTimer 200 down to 121
constexpr int32_t kEntryEnd = 120;
constexpr int32_t kCaptionSoundAt = 236;

//-----------------------------------------------------------------------------
// Hunter waves: they arrive when a level drags on.
//-----------------------------------------------------------------------------

struct HunterWave {
  int32_t levelFrame;
  int32_t hunters;
  int32_t retargetStep;  // the n-th hunter waits n x this many frames
};

constexpr HunterWave kHunterWaves[] = {
    {2048, 1, 0}, {4096, 2, 8}, {6144, 4, 4}, {8192, 6, 4}, {9600, 8, 2}, {10200, 16, 1},
};

void PlaySlot(int32_t slot) { PlaySound(soundTable.slot[slot], 0); }

void SendHunterWaves() {
  const GameState& g = world.game;
  if (g.clearTimer != 0 || g.levelFrame < 2048) return;
  for (const HunterWave& wave : kHunterWaves) {
    if (g.levelFrame != wave.levelFrame) continue;
    PlaySlot(kSoundHunterAlarm);
    for (int32_t n = 1; n <= wave.hunters; ++n) {
      Swarmer& s = world.Swarmers.Add();
      s.swarmerType = HunterSwarmer;
      s.x = 0x40000;  // the opposite side of the world
      s.y = 0x6D00;
      s.targetVX = 0x640;
      s.retargetTimer = wave.retargetStep * n;
    }
  }
}

//-----------------------------------------------------------------------------
// Firing: held fire fires at once and then every third frame, a shot from
// the ship and one from each satellite.
//-----------------------------------------------------------------------------

void AddShot(int32_t x, int32_t y) {
  const bool right = world.game.facing == 1;
  PlayerShot& shot = world.PlayerShots.Add();
  shot.x = x;
  shot.y = y;
  shot.vx = right ? 0x800 : -0x800;
  shot.sprite = right ? 22 : 21;
}

int32_t SatelliteAngle(int32_t i) {
  const GameState& g = world.game;
  return (g.orbitPhase + i * SatelliteSpacing[g.satellites]) & 255;
}

void FireVolley() {
  GameState& g = world.game;
  SoundTurns& turns = world.soundTurns;
  turns.volleyTurn = (turns.volleyTurn + 1) & 3;
  PlaySlot(kSoundLaser + turns.volleyTurn);
  const bool right = g.facing == 1;
  AddShot(right ? g.playerX + 0x800 : g.playerX, g.playerY + 0x300);
  for (int32_t i = 1; i <= g.satellites; ++i) {
    const int32_t a = SatelliteAngle(i);
    AddShot(g.playerX + OrbitTable[a][0] - (right ? 0x900 : 0), g.playerY + OrbitTable[a][1]);
  }
}

// Shots move with the view, not with the world.
void FireAndMoveShots() {
  GameState& g = world.game;
  if (g.fireHeld == 0) {
    g.fireCountdown = 0;
  } else if (g.fireCountdown == 0) {
    FireVolley();
    g.fireCountdown = g.firePeriod;
  } else {
    g.fireCountdown -= 1;
  }
  for (PlayerShot* s = world.PlayerShots.First(); s; s = world.PlayerShots.Next()) {
    s->x += s->vx;
    if (s->x < -0x800 || s->x > 0x10000) world.PlayerShots.DeleteCurrent();
  }
}

//-----------------------------------------------------------------------------
// The ship's flight
//-----------------------------------------------------------------------------

// Death and respawn: a life goes on the frame after the hit; the input is
// held off while the ship is away and during its entry run.
void RunDeathSequence() {
  GameState& g = world.game;
  // Once the game is lost, its count runs on every frame: an extra life
  // collected meanwhile by the invisible ship does not stop it.
  if (g.gameOverTimer != 0 || (g.deathTimer != 0 && g.lives < 0)) g.gameOverTimer += 1;
  if (g.deathTimer == 0) return;
  if (g.deathTimer == kDeathFrames) {
    g.lives -= 1;
    PlaySlot(kSoundShipDestroyed);
  }
  g.deathTimer -= 1;
  if (g.deathTimer > kEntryEnd || g.gameOverTimer != 0) {
    MoveCursor(320, 240);
    g.inputVX = 0;
    g.inputVY = 0;
    g.fireHeld = 0;
  }
}

// Holding fire locks the facing.
void SteerShip(const PlayInput& in) {
  GameState& g = world.game;
  if (std::abs(g.inputVX) < kMoveThreshold) {
    g.scrollSpeed = 0;
  } else {
    g.scrollSpeed = g.inputVX;
    if (g.fireHeld == 0) {
      if (in.joystick != 1) {
        g.facing = g.inputVX > 0 ? 1 : 0;
      } else if (in.stickX > 32) {
        g.facing = 1;
      } else if (in.stickX < -32) {
        g.facing = 0;
      }
    }
  }
  g.playerVY = std::abs(g.inputVY) >= kMoveThreshold ? g.inputVY : 0;
}

// During the entry run the ship glides in from the edge behind it; in flight
// it slides towards the far side of the screen after a turn while the view
// moves one extra pixel a frame, so its speed over the ground is unchanged.
void PlaceShip() {
  GameState& g = world.game;
  if (g.deathTimer > kEntryEnd && g.deathTimer <= kEntryStart) {
    const int32_t glide = EntryCurve[kEntryStart - g.deathTimer];
    g.playerY = kFlyingYAtEntry;
    g.playerX = g.facing == 1 ? glide : 0xF000 - glide;
  } else if (g.deathTimer <= kEntryEnd) {
    if (g.facing == 1) {
      g.playerX -= 0x100;
      if (g.playerX < kLeftmostX) {
        g.playerX = kLeftmostX;
      } else {
        g.scrollSpeed += 0x100;
      }
    } else {
      g.playerX += 0x100;
      if (g.playerX > kRightmostX) {
        g.playerX = kRightmostX;
      } else {
        g.scrollSpeed -= 0x100;
      }
    }
  }
}

void MoveView() {
  GameState& g = world.game;
  g.worldX += g.scrollSpeed;
  if (g.worldX < 0) g.worldX = 0x7FFFF;
  if (g.worldX > 0x7FFFF) g.worldX = 0;
  g.playerY = std::clamp(g.playerY + g.playerVY, 0, 0xD800);
  g.orbitPhase = (g.orbitPhase + (g.scrollSpeed >> 8) + (g.facing == 1 ? 2 : -2)) & 255;
}

// The power-up bounces between the top and the ground.
void FlyPowerUp() {
  PowerUp& p = world.powerUp;
  if (!p.powerUpActive) return;
  p.x = WrapWorldX(p.x + p.vx - world.game.scrollSpeed);
  p.y += p.vy;
  if (p.y < 0) {
    p.vy = 0x100;
  } else if (p.y > 0xD400) {
    p.vy = -0x100;
  }
}

//-----------------------------------------------------------------------------
// Drawing the ship, the captions and the level flow
//-----------------------------------------------------------------------------

void DrawShipAndSatellites() {
  const GameState& g = world.game;
  const int32_t x = g.playerX >> 8, y = g.playerY >> 8;
  BlitKeyed(Ship + g.facing, x, y);
  for (int32_t i = 1; i <= g.satellites; ++i) {
    const int32_t a = SatelliteAngle(i);
    BlitKeyed(Satellite, x + OrbitTable[a][2], y + OrbitTable[a][3]);
  }
}

void DrawShip(bool demonstration) {
  GameState& g = world.game;
  if (g.deathTimer == 0) {
    DrawShipAndSatellites();
  } else if (g.deathTimer <= kEntryStart) {
    g.levelIntro = 0;
    if (g.deathTimer & 4) DrawShipAndSatellites();  // blinking
  } else if (g.levelIntro) {
    DrawLevelCaption(demonstration);
    if (g.deathTimer == kCaptionSoundAt) PlaySlot(kSoundLevelCaption);
  }
}

// Once the last enemy is gone: "LEVEL CLEAR", a pause, then the next level.
LevelFlow RunLevelFlow() {
  GameState& g = world.game;
  if (g.clearTimer == 0) return LevelFlow::Playing;
  if (g.clearTimer < 128) {
    DrawLevelClearCaption();
    if (g.clearTimer == 15) PlaySlot(kSoundLevelClear);
  } else if (g.clearTimer > 144) {
    g.level += 1;
    if (g.level > 21) {
      // The closing sequence keeps only the player's shots; the sounds stop
      // before this frame's requests are served.
      ClearAllButPlayerShots();
      StopAllSounds();
      return LevelFlow::AllLevelsCleared;
    }
    world.PlayerShots.Clear();
    g.facing = 1;
    g.worldX = 0;
    g.orbitPhase = 0;
    g.levelIntro = 1;
    g.clearTimer = 0;
    g.debrisCursor = 0;
    g.comboTimer = 0;
    g.combo = 0;
    StartLevel();
  }
  return LevelFlow::Playing;
}

}  // namespace

GameStart DemoStart(int32_t demoIndex) {
  static constexpr GameStart kDemoStarts[3] = {{3, 132, 3}, {5, 317, 1}, {6, 478, 2}};
  return kDemoStarts[std::clamp(demoIndex, 0, 2)];
}

void NewGame(const NewGameOptions& options) {
  GameState& g = world.game;
  if (!options.demonstration && settings.music != 0 && settings.volume > 0) {
    if (const EmbeddedFile* tune = FindEmbeddedFile("vantomir.xm")) {
      PlaySong(tune->data, static_cast<uint32_t>(tune->size), kSongInMemory, options.musicStream);
    }
  }
  SetMouseResponse(settings.mouseSens);
  const int32_t launch = world.sound.sfxLaunch;
  world.sound = SoundRequests{};
  world.sound.sfxLaunch = launch;
  g.firePeriod = 2;
  g.fireCountdown = 0;
  g.facing = 1;
  g.worldX = 0;
  g.satellites = 0;
  g.orbitPhase = 0;
  // The ship starts from the corner, as in the first game of a run, so that
  // creatures launched before its entry run steer the same way in every game
  // (a demonstration replays identically after any game).
  g.playerX = 0;
  g.playerY = 0;
  RandomSeed(options.demonstration ? 123456 : options.seed);
  const GameStart start =
      options.start.value_or(options.demonstration ? DemoStart(options.demoIndex) : kPlayerStart);
  g.level = start.level;
  g.score = start.score;
  g.lives = start.lives;
  g.levelIntro = 1;
  g.clearTimer = 0;
  g.debrisCursor = 0;
  g.comboTimer = 0;
  g.gameOverTimer = 0;
  g.combo = 0;
  g.nextLifeScore = 1000;
  g.powerUpScore = g.score + 100;
  BuildGameTables();
  StartLevel();
  ApplyVolume();
  MoveCursor(320, 240);
}

PlayInput DemoInput(int32_t demoIndex) {
  const int16_t* recorded = demoInput[demoIndex][std::clamp(world.game.levelFrame, 0, kDemoFrames)];
  return PlayInput{recorded[0], recorded[1], recorded[2], 0, 0};
}

void UpdatePlay(const PlayInput& in) {
  GameState& g = world.game;
  g.inputVX = in.inputVX;
  g.inputVY = in.inputVY;
  g.fireHeld = in.fireHeld;
  RunDeathSequence();
  SteerShip(in);
  g.levelFrame += 1;
  if (g.score >= g.nextLifeScore) {
    g.nextLifeScore += 2000;
    g.lives += 1;
    PlaySlot(kSoundExtraLife);
  }
  PlaceShip();
  MoveView();
  FlyPowerUp();
  if (g.comboTimer != 0) g.comboTimer -= 1;
  SendHunterWaves();

  FireAndMoveShots();
  UpdateCarriers();
  UpdateCreatures();
  UpdatePods();
  UpdateEnemyBullets();
  UpdateSwarmers();
  UpdateDebris();
  ShotsAgainstEnemies();
  // Whether the ship can be hit is decided before its test, so the pickups
  // of the frame of a hit still happen.
  if (g.deathTimer == 0) {
    ShipAgainstEnemies();
    CollectPickups();
  } else if (g.deathTimer < 120) {
    CollectPickups();
  }
  UpdateSparksAndExplosions();
}

LevelFlow DrawPlay(bool demonstration) {
  UpdateRadar();
  SelectTarget(Playfield);
  DrawLandscape(world.game.worldX);
  DrawEntities();
  LevelFlow flow = LevelFlow::Playing;
  if (world.game.gameOverTimer == 0) {
    DrawShip(demonstration);
    flow = RunLevelFlow();
  } else {
    DrawGameOverCaption();
  }
  DrawLives();
  DrawScore();
  DrawRadar();
  SelectTarget(ScreenTarget);
  ServeSoundRequests();
  return flow;
}
