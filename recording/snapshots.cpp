#include "recording/snapshots.h"

#include <algorithm>
#include <utility>

#include "levels/level_progression.h"

size_t GameSnapshot::Bytes() const {
  const World& w = this->world;  // the snapshot's, not the game's
  return sizeof(GameSnapshot) + w.PlayerShots.StorageBytes() + w.Carriers.StorageBytes() +
         w.ScoreLabels.StorageBytes() + w.Sparks.StorageBytes() + w.Explosions.StorageBytes() +
         w.Creatures.StorageBytes() + w.Swarmers.StorageBytes() + w.Pods.StorageBytes() + w.Debris.StorageBytes() +
         w.EnemyBullets.StorageBytes();
}

GameSnapshot CaptureGame(int64_t frame) {
  GameSnapshot s;
  s.frame = frame;
  s.world = world;
  s.rng = rng;
  s.gameInput = gameInput;
  s.screenState = shell.screenState;
  s.screenTimer = shell.screenTimer;
  return s;
}

void RestoreGame(const GameSnapshot& s) {
  if (s.world.game.level != world.game.level) {
    world.game.level = s.world.game.level;
    BuildLevelLandscape();  // reseeds the generator, which is put back next
  }
  world = s.world;
  rng = s.rng;
  gameInput = s.gameInput;
  shell.screenState = s.screenState;
  shell.screenTimer = s.screenTimer;
}

SnapshotStore::SnapshotStore(size_t budgetBytes, int64_t spacing) : budget_(budgetBytes), firstSpacing_(spacing), spacing_(spacing) {}

bool SnapshotStore::Due(int64_t frame) const {
  return frame % spacing_ == 0 && (snapshots_.empty() || frame > snapshots_.back().frame);
}

void SnapshotStore::Keep(GameSnapshot snapshot) {
  bytes_ += snapshot.Bytes();
  snapshots_.push_back(std::move(snapshot));
  while (bytes_ > budget_ && snapshots_.size() > 1) Thin();
}

const GameSnapshot* SnapshotStore::Before(int64_t frame) const {
  auto after = std::upper_bound(snapshots_.begin(), snapshots_.end(), frame,
                                [](int64_t f, const GameSnapshot& s) { return f < s.frame; });
  return after == snapshots_.begin() ? nullptr : &*(after - 1);
}

void SnapshotStore::Clear() {
  snapshots_.clear();
  bytes_ = 0;
  spacing_ = firstSpacing_;
}

// Keeps the snapshots on twice the spacing (the first, at the game's start,
// always stays).
void SnapshotStore::Thin() {
  spacing_ *= 2;
  std::vector<GameSnapshot> kept;
  bytes_ = 0;
  for (GameSnapshot& s : snapshots_) {
    if (s.frame % spacing_ == 0) {
      bytes_ += s.Bytes();
      kept.push_back(std::move(s));
    }
  }
  snapshots_ = std::move(kept);
}
