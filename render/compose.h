// Composing the shown 640x480 frame from the 256x224 playfield: scaling with
// or without smoothing, trails of the three previous frames, the glow pass
// around bright objects in a game, and scanlines.
#pragma once

#include <cstdint>

#include "render/display.h"

// Where the playfield's 256x256 frame texture lands on the screen.
struct ViewRect {
  int32_t x, y, width, height;
};

extern ViewRect viewRect;
extern int32_t TrailIndex;  // the frame texture (25 + TrailIndex) holding the newest frame

// Room for 1024 glow quads of two triangles each, and one spare vertex.
constexpr int kGlowQuads = 1024;
extern TexturedVertex GlowBuffer[6145];
extern int32_t glowCount;  // glow quads written by the last frame, at most 1023 drawn

// Depth, reciprocal w and colour of every glow vertex; once at start-up.
void InitGlowBuffer();

// Sets viewRect from the stretch setting, clears the screen and sizes the
// frame quads.
void ApplyDisplayGeometry();

// Writes glow quad slot (0..1023): x, y, w, h in playfield pixels; u, v, du,
// dv in units of the glow texture.
void AddGlowQuad(int slot, float x, float y, float w, float h, float u, float v, float du, float dv);

// Turns the playfield into the screen image; the glow pass runs only in a
// game (or a demonstration).
void ComposeFrame(bool inGame);
