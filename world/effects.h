// Short-lived effects: falling debris, hit sparks and explosions.
//
// Debris moves seventh in the play frame's world update; sparks and
// explosions move last, after every collision, so one made during a frame is
// advanced once before it is first drawn: a spark shows sprites 40, 41, 41,
// 42, 42, 43, 43 and an explosion sprites 44 .. 51 over frames 1 .. 15.
// (Score labels move while they are drawn; see world/drawing.h.)
#pragma once

// Gravity, own speed and the scroll; a piece that falls below 224 pixels is
// gone. Debris x is never wrapped.
void UpdateDebris();

// Sparks, then explosions: scrolled, removed off screen or when their
// animation ends (8 frames for a spark, 16 for an explosion).
void UpdateSparksAndExplosions();
