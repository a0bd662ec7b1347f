#include "world/world.h"

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
