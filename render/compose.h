// Composing the shown 640x480 frame from the 256x224 playfield: scaling,
// trails and scanlines.
#pragma once

#include <cstdint>

// Where the playfield's 256x256 frame texture lands on the screen.
struct ViewRect {
  int32_t x, y, width, height;
};

extern ViewRect viewRect;
extern int32_t TrailIndex;  // the frame texture (25 + TrailIndex) holding the newest frame

// Sets viewRect from the stretch setting, clears the screen and sizes the
// frame quads.
void ApplyDisplayGeometry();

// Turns the playfield into the screen image.
void ComposeFrame();
