// The game's sprites: numbers, and building and freeing them.
#pragma once

#include "render/display.h"

// Sprite numbers shared by every screen.
constexpr int FrameTexture = 25;  // 25..28: the last four playfield frames (quads 25..28)
constexpr int Playfield = 29;     // 256x224: every screen draws its picture here
constexpr int ScanlineTile = 30;  // 32x32 magenta with black even rows (quad 30)
constexpr int kPlayfieldWidth = 256;
constexpr int kPlayfieldHeight = 224;

// The dot colours of the radar, filled when the screen opens.
extern Colour RadarColours[7];

// Makes every sprite of the game.
void BuildGraphics();
// Frees every sprite numbered 0..256.
void FreeAllSprites();
