// Where and how the 640x480 frame goes on a screen of any size.
//
// The frame fills the largest 4:3 rectangle that fits the output, centred,
// with black bars on the other two sides. To keep the game's pixels sharp
// and even at any size, it gets there in two steps: first nearest-pixel up
// to the whole-number multiple of 640x480 at or just above that rectangle
// (every game pixel becomes a square of equal size), then filtered down to
// the rectangle. Shrinking by less than half never spreads one game pixel's
// edge over more than one screen pixel, so each game pixel keeps the same
// share of the screen and its inside stays its own colour. When the
// rectangle is an exact multiple, the first step alone is the whole story.
//
// Sizes are in output pixels (on a high-DPI screen, not in window points).
// This is plain arithmetic; the SDL presenter carries it out.
#pragma once

namespace platform {

enum class PictureScaling {
  None,          // nothing to draw on (the output has no area)
  Nearest,       // the frame straight to the rectangle, nearest pixel (an exact multiple)
  Filtered,      // the frame straight to the rectangle, filtered (no whole multiple helps)
  UpThenFiltered // nearest up by `factor`, then filtered down to the rectangle
};

struct PictureLayout {
  PictureScaling scaling = PictureScaling::None;
  int x = 0, y = 0, width = 0, height = 0;  // the picture's rectangle in the output
  int factor = 1;                           // the multiple of 640x480 for UpThenFiltered
};

// The layout for an output of outputWidth x outputHeight pixels, where the
// renderer's textures may be at most maxTextureWidth x maxTextureHeight (0:
// no limit).
PictureLayout LayOutPicture(int outputWidth, int outputHeight, int maxTextureWidth = 0,
                            int maxTextureHeight = 0);

}  // namespace platform
