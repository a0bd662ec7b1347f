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

// Colour tables built once at start-up.
extern int32_t WaveTable[257];           // values 1..255
extern Colour PlasmaPalettes[4][1024];   // entries 512..1023 repeat 0..511
void BuildWaveTables();

// The far layer's eight 64x208 strips (sprites 110..117) from the height map,
// and the wall tiles (sprites 1..16), in the current level's style.
void PaintTerrainStrips();
void BuildWallTiles();
