#include "world/world.h"

World world;

void ClearAllEntities() {
  World& w = world;
  w.PlayerShots.Clear();
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
