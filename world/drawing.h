// Drawing the world's entities, and the radar.
//
// The play frame's drawing step, in order:
//
//   UpdateRadar();             // the radar image of this frame (sprite 141)
//   SelectTarget(Playfield);
//   DrawLandscape(worldX);
//   DrawEntities();
//   ... ship, satellites, captions, lives and score ...
//   DrawRadar();
//
// Every entity is drawn colour-keyed at its pixel position (x >> 8, y >> 8)
// into the selected target.
#pragma once

// Sprite 140 (the empty radar) copied into sprite 141, then one dot per
// swarmer, creature, pod and carrier (two for a carrier), and the ship's dot
// while it is shown. A dot column is one 32-pixel stretch of the world ring,
// with the screen's centre at column 33; a row is 32 pixels of height.
void UpdateRadar();

// Score labels (which rise and run out as they are drawn), player shots,
// creatures, carriers near the screen, debris, pods, swarmers, the power-up,
// enemy bullets, sparks and explosions, in that order.
void DrawEntities();

// The radar image, opaque, at (188, 212).
void DrawRadar();
