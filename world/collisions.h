// Collisions, scoring and pickups: every contact of the game and what it
// releases, and the frame's sound requests turned into sounds.
//
// In a play frame, after everything has moved:
//
//   ShotsAgainstEnemies();
//   if (deathTimer == 0) { ShipAgainstEnemies(); CollectPickups(); }
//   else if (deathTimer < 120) CollectPickups();
//   ...
//   ServeSoundRequests();  // the very end of the frame
//
// The choice of tests is made before the ship's test, so on the frame the
// ship is hit its pickups still take place.
//
// Every box is tested with strict comparisons on one point, in units; an
// enemy's position is the top-left corner of its sprite.
#pragma once

// Player shots against creatures, swarmers, pods and carriers, in that order.
// An enemy takes every shot inside its box (a spark for each), so an earlier
// enemy in its list takes a shot before a later one. Kills score, explode,
// shed debris, burst into swarms or bullet rings, may release the power-up,
// and raise sound requests; a hunter pod's alarm and a destroyed carrier are
// heard at once.
void ShotsAgainstEnemies();

// The ship against carriers, creatures, pods and swarmers, then enemy
// bullets: every contact adds an explosion at the ship and sets deathTimer to
// 240, and a hit costs one satellite. With no enemy left the level is clear:
// clearTimer counts on and the bullets still flying turn into sparks. Does
// nothing unless the ship flies (deathTimer 0).
void ShipAgainstEnemies();

// The ship collects the debris it touches, with combo scoring and floating
// labels, then the power-up (one more satellite). The caller decides whether
// pickups happen (deathTimer 0..119, read before ShipAgainstEnemies).
void CollectPickups();

// Plays one sound for each kind of request raised this frame and clears it.
void ServeSoundRequests();
