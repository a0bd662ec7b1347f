// The game's sprites: numbers, and building and freeing them.
#pragma once

#include <cstdint>

#include "render/display.h"

// Sprite numbers shared by every screen.
constexpr int Font = 0;                // 512x8: glyphs of the codes 32..95, 8 pixels apart
constexpr int FirstWallTile = 1;       // 1..8 first wall texture, 9..16 second
constexpr int Pointer = 17;            // the menus' pointer
constexpr int Ship = 18;               // 18 facing left, 19 facing right: Ship + facing
constexpr int Satellite = 20;
constexpr int EnemyBulletSprite = 23;  // (the player's shots are 21 and 22, kept in their records)
constexpr int LivesIcon = 24;
constexpr int FrameTexture = 25;       // 25..28: the last four playfield frames (quads 25..28)
constexpr int Playfield = 29;          // 256x224: every screen draws its picture here
constexpr int ScanlineTile = 30;       // 32x32 magenta with black even rows (quad 30)
constexpr int TrailTexture = 31;       // the four frame textures merged into one (quad 31)
constexpr int FirstCarrier = 32;       // 32..39: four colours by damage, +4 in the upper half of the bob
constexpr int FirstSpark = 40;         // 40..43
constexpr int FirstExplosion = 44;     // 44..51
constexpr int PowerUpSprite = 85;
constexpr int FirstTerrainStrip = 110; // 110..117: the far layer, 64x208 each
constexpr int WallTextures = 118;      // four styles of two 16x16 textures
constexpr int WallOverlay = 119;       // the panel's cut-away margin, keyed black
constexpr int LightMap = 120;          // 128x16 light map of the wall tiles
constexpr int WallScratch = 121;       // 128x16 strip the tiles are assembled in
constexpr int EmptyRadar = 140;        // 66x10 radar frame
constexpr int Radar = 141;             // the radar of this frame: 64x8 dots inside a one-pixel margin
constexpr int TitleLogo = 142;         // 121x39
constexpr int CreditLine = 144;
constexpr int Atlas = 255;             // the atlas image while the sprites are cut from it
constexpr int GlowTexture = 256;       // 256x256 glows for the glow pass

constexpr int kPlayfieldWidth = 256;
constexpr int kPlayfieldHeight = 224;

// One sprite cut from the atlas image: its number and rectangle.
struct AtlasCut {
  int sprite;
  int x, y, width, height;
};

// Every sprite cut from the 512x75 atlas image, in the order BuildGraphics
// cuts them. The art generator draws each picture into exactly this cell.
// The cells of 76..79 overlap the fruit pictures (90..97), which are drawn
// there; every other pair of cells is disjoint.
inline constexpr AtlasCut kAtlasCuts[] = {
    {0, 0, 0, 512, 8},                                                       // font
    {17, 0, 8, 10, 10},                                                      // mouse pointer
    {18, 492, 24, 16, 8}, {19, 492, 32, 16, 8},                              // ship facing left, right
    {20, 0, 31, 6, 6},                                                       // satellite
    {21, 0, 18, 8, 4}, {22, 0, 22, 8, 4},                                    // shot flying left, right
    {23, 6, 31, 6, 6},                                                       // enemy bullet
    {24, 0, 26, 7, 5},                                                       // lives icon
    {32, 42, 8, 48, 16}, {33, 90, 8, 48, 16}, {34, 138, 8, 48, 16}, {35, 186, 8, 48, 16},    // carriers
    {36, 234, 8, 48, 16}, {37, 282, 8, 48, 16}, {38, 330, 8, 48, 16}, {39, 378, 8, 48, 16},  // other bob half
    {40, 10, 16, 8, 8}, {41, 18, 16, 8, 8}, {42, 26, 16, 8, 8}, {43, 34, 16, 8, 8},          // sparks
    {44, 64, 24, 16, 16}, {45, 80, 24, 16, 16}, {46, 96, 24, 16, 16}, {47, 112, 24, 16, 16}, // explosions
    {48, 128, 24, 16, 16}, {49, 144, 24, 16, 16}, {50, 160, 24, 16, 16}, {51, 176, 24, 16, 16},
    {64, 192, 24, 16, 12}, {65, 208, 24, 16, 12}, {66, 224, 24, 16, 12}, {67, 240, 24, 16, 12},  // creatures
    {68, 256, 24, 16, 12}, {69, 272, 24, 16, 12}, {70, 288, 24, 16, 12}, {71, 304, 24, 16, 12},
    {72, 320, 24, 16, 12}, {73, 336, 24, 16, 12}, {74, 352, 24, 16, 12}, {75, 368, 24, 16, 12},
    {76, 384, 24, 16, 12}, {77, 400, 24, 16, 12}, {78, 416, 24, 16, 12}, {79, 432, 24, 16, 12},
    {90, 384, 24, 12, 12}, {91, 396, 24, 12, 12}, {92, 408, 24, 12, 12}, {93, 420, 24, 12, 12},  // fruits
    {94, 432, 24, 12, 12}, {95, 444, 24, 12, 12}, {96, 456, 24, 12, 12}, {97, 468, 24, 12, 12},
    {100, 192, 36, 13, 7}, {101, 205, 36, 13, 7}, {102, 218, 36, 13, 7}, {103, 231, 36, 13, 7},  // score labels
    {104, 244, 36, 13, 7}, {105, 257, 36, 13, 7}, {106, 270, 36, 13, 7}, {107, 283, 36, 13, 7},
    {108, 296, 36, 13, 7}, {109, 309, 36, 13, 7},
    {61, 322, 36, 8, 7}, {62, 330, 36, 8, 7}, {63, 338, 36, 8, 7},          // swarmers
    {80, 426, 8, 16, 16}, {81, 442, 8, 16, 16}, {82, 458, 8, 16, 16},       // pods
    {83, 474, 8, 16, 16}, {84, 490, 8, 16, 16},
    {85, 480, 24, 12, 12},                                                   // power-up
    {118, 128, 43, 128, 16},                                                 // wall textures
    {119, 0, 43, 128, 16},                                                   // wall overlay
    {140, 256, 43, 66, 10},                                                  // radar frame
    {142, 346, 36, 121, 39},                                                 // title logo
    {144, 0, 59, 59, 6},                                                     // credit line
};

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
