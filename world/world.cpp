#include "world/world.h"

#include <cstddef>
#include <type_traits>

#include "world/fnv.h"

World world;

void ClearAllEntities() {
  world.PlayerShots.Clear();
  ClearAllButPlayerShots();
}

void ClearAllButPlayerShots() {
  World& w = world;
  w.Carriers.Clear();
  w.Sparks.Clear();
  w.Explosions.Clear();
  w.Creatures.Clear();
  w.Swarmers.Clear();
  w.Pods.Clear();
  w.Debris.Clear();
  w.EnemyBullets.Clear();
  w.ScoreLabels.Clear();
}

namespace {

// Records are nothing but int32_t fields, so a record is its fields in order.
template <typename Record>
void HashRecord(const Record& record, uint64_t* hash) {
  static_assert(std::is_standard_layout_v<Record> && sizeof(Record) % sizeof(int32_t) == 0);
  const auto* fields = reinterpret_cast<const int32_t*>(&record);
  for (size_t i = 0; i < sizeof(Record) / sizeof(int32_t); ++i) {
    *hash = FeedFnv(*hash, static_cast<uint32_t>(fields[i]), 4);
  }
}

template <typename Record>
void HashList(const EntityList<Record>& list, uint64_t* hash) {
  list.ForEach([hash](const Record& record) { HashRecord(record, hash); });
}

}  // namespace

uint64_t HashEntityLists(const World& w) {
  uint64_t hash = kFnvBasis;
  HashList(w.PlayerShots, &hash);
  HashList(w.Carriers, &hash);
  HashList(w.ScoreLabels, &hash);
  HashList(w.Sparks, &hash);
  HashList(w.Explosions, &hash);
  HashList(w.Creatures, &hash);
  HashList(w.Swarmers, &hash);
  HashList(w.Pods, &hash);
  HashList(w.Debris, &hash);
  HashList(w.EnemyBullets, &hash);
  return hash;
}

uint64_t HashWorld(const World& w) {
  uint64_t hash = HashEntityLists(w);
  HashRecord(w.powerUp, &hash);
  HashRecord(w.game, &hash);
  HashRecord(w.levelSettings, &hash);
  return hash;
}
