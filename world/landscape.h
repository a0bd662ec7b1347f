// The three-layer scrolling landscape, drawn first in every play frame.
#pragma once

#include <cstdint>

// Draws the landscape seen from view position worldX (0..0x7FFFF) into the
// selected target, back to front: the far strips at a quarter of the world's
// speed, MidMap's tiles at half, NearMap's at full speed.
void DrawLandscape(int32_t worldX);
