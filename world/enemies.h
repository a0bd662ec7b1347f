// The enemies' per-frame behaviour: carriers and the creatures they launch,
// pods, enemy bullets and swarmers.
//
// The play frame calls the updates once each, in this order: UpdateCarriers,
// UpdateCreatures, UpdatePods, UpdateEnemyBullets, UpdateSwarmers. Every
// update is one pass over its list from the front; the order of a list
// decides which creature or hunter takes the shared fire timer when it runs
// out. Only the pods draw random numbers (one per pod per frame); the others
// step the shared tableCursor through the per-game random tables.
//
// Collisions, kills and drawing live elsewhere; the kills use FireBulletRing
// for ring swarmers and mine pods.
#pragma once

#include <cstdint>

// Carriers cruise, bob and launch creatures of their creatureType.
void UpdateCarriers();

// Creatures steer (even types home in on the ship, odd types wander), move,
// and share creatureFireTimer: when it runs out the first creature on screen
// fires a fan of 1, 3 or 5 bullets at the ship.
void UpdateCreatures();

// Pods drift on a random walk within the ship's band.
void UpdatePods();

// Enemy bullets fly straight and vanish outside the area round the screen.
void UpdateEnemyBullets();

// Swarmers approach a target velocity chosen towards the ship; hunters also
// share hunterFireTimer and shoot.
void UpdateSwarmers();

// Fires bullet ring pattern 1..8 from (x, y); any other pattern fires nothing.
void FireBulletRing(int32_t pattern, int32_t x, int32_t y);

// The direction from (x, y) to the ship, 0..255, with the distance in each
// axis clamped to the reach of AngleTable (the swarmers' aim).
int32_t AimAtShip(int32_t x, int32_t y);

// Adds an enemy bullet at (x, y) flying at (vx, vy) per frame.
void AddEnemyBullet(int32_t x, int32_t y, int32_t vx, int32_t vy);
