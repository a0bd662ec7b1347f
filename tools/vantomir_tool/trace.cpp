#include "tools/vantomir_tool/trace.h"

#include <cinttypes>
#include <cstdio>

#include "audio/sound.h"
#include "world/world.h"

namespace {

std::vector<int32_t> played;

void NotePlayed(int32_t handle) { played.push_back(SlotOfSound(handle)); }

void Add(std::string* out, const char* name, int64_t value) {
  char field[64];
  std::snprintf(field, sizeof field, "%s\"%s\":%" PRId64, out->empty() ? "" : ",", name, value);
  *out += field;
}

}  // namespace

void StartWatchingSounds() {
  played.clear();
  WatchSounds(NotePlayed);
}

void StopWatchingSounds() { WatchSounds(nullptr); }

std::vector<int32_t> TakePlayedSounds() {
  std::vector<int32_t> slots;
  slots.swap(played);
  return slots;
}

std::string HashText(uint64_t hash) {
  char text[17];
  std::snprintf(text, sizeof text, "%016" PRIx64, hash);
  return text;
}

std::string SoundsField(const std::vector<int32_t>& slots) {
  std::string out = "[";
  for (size_t i = 0; i < slots.size(); ++i) {
    if (i) out += ',';
    out += std::to_string(slots[i]);
  }
  return out + "]";
}

std::string GameStateFields() {
  const World& w = world;
  const GameState& g = w.game;
  std::string out;
  Add(&out, "score", g.score);
  Add(&out, "lives", g.lives);
  Add(&out, "level", g.level);
  Add(&out, "levelFrame", g.levelFrame);
  Add(&out, "deathTimer", g.deathTimer);
  Add(&out, "gameOverTimer", g.gameOverTimer);
  Add(&out, "clearTimer", g.clearTimer);
  Add(&out, "playerX", g.playerX);
  Add(&out, "playerY", g.playerY);
  Add(&out, "facing", g.facing);
  Add(&out, "scrollSpeed", g.scrollSpeed);
  Add(&out, "worldX", g.worldX);
  Add(&out, "satellites", g.satellites);
  Add(&out, "orbitPhase", g.orbitPhase);
  Add(&out, "powerUpActive", w.powerUp.powerUpActive);
  Add(&out, "tableCursor", w.levelSettings.tableCursor);
  Add(&out, "combo", g.combo);
  Add(&out, "comboTimer", g.comboTimer);
  Add(&out, "fireCountdown", g.fireCountdown);
  Add(&out, "creatureFireTimer", w.levelSettings.creatureFireTimer);
  Add(&out, "hunterFireTimer", w.levelSettings.hunterFireTimer);
  Add(&out, "nextLifeScore", g.nextLifeScore);
  Add(&out, "powerUpScore", g.powerUpScore);
  Add(&out, "PlayerShots", w.PlayerShots.Size());
  Add(&out, "Carriers", w.Carriers.Size());
  Add(&out, "ScoreLabels", w.ScoreLabels.Size());
  Add(&out, "Sparks", w.Sparks.Size());
  Add(&out, "Explosions", w.Explosions.Size());
  Add(&out, "Creatures", w.Creatures.Size());
  Add(&out, "Swarmers", w.Swarmers.Size());
  Add(&out, "Pods", w.Pods.Size());
  Add(&out, "Debris", w.Debris.Size());
  Add(&out, "EnemyBullets", w.EnemyBullets.Size());
  out += ",\"hash\":\"" + HashText(HashEntityLists(w)) + "\"";
  return out;
}
