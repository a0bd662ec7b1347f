// The atlas image: its palette of named inks and the families of sprites
// drawn into it, each into the cells of the game's cut table.
#pragma once

#include "tools/art/art.h"

// The atlas palette. Colours come in ramps from dark (0) to light; every
// sprite is drawn from these inks only, which keeps the art of one piece.
enum Ink : uint8_t {
  Key,     // magenta: transparent in every sprite
  Black,   // the wall overlay's "keep" colour and the radar's background
  Shade,   // outlines and drop shadows
  Grey0, Grey1, Grey2, Grey3, Grey4, White,
  Red0, Red1, Red2, Red3, Red4,
  Orange0, Orange1, Orange2, Orange3, Orange4,
  Yellow0, Yellow1, Yellow2, Yellow3, Yellow4,
  Green0, Green1, Green2, Green3, Green4,
  Cyan0, Cyan1, Cyan2, Cyan3, Cyan4,
  Blue0, Blue1, Blue2, Blue3, Blue4,
  Purple0, Purple1, Purple2, Purple3, Purple4,
  Pink0, Pink1, Pink2, Pink3, Pink4,
  Brown0, Brown1, Brown2, Brown3, Brown4,
  Slate0, Slate1, Slate2, Slate3, Slate4,
  Moss0, Moss1, Moss2, Moss3, Moss4,
  Brick0, Brick1, Brick2, Brick3, Brick4,
  Sand0, Sand1, Sand2, Sand3, Sand4,
  RadarBack, RadarGrid,
  InkCount
};

// Five shades of one colour, dark to light.
struct Ramp {
  uint8_t shade[5];
  uint8_t operator[](int i) const { return shade[i]; }
};

constexpr Ramp kGreys{{Grey0, Grey1, Grey2, Grey3, Grey4}};
constexpr Ramp kReds{{Red0, Red1, Red2, Red3, Red4}};
constexpr Ramp kOranges{{Orange0, Orange1, Orange2, Orange3, Orange4}};
constexpr Ramp kYellows{{Yellow0, Yellow1, Yellow2, Yellow3, Yellow4}};
constexpr Ramp kGreens{{Green0, Green1, Green2, Green3, Green4}};
constexpr Ramp kCyans{{Cyan0, Cyan1, Cyan2, Cyan3, Cyan4}};
constexpr Ramp kBlues{{Blue0, Blue1, Blue2, Blue3, Blue4}};
constexpr Ramp kPurples{{Purple0, Purple1, Purple2, Purple3, Purple4}};
constexpr Ramp kPinks{{Pink0, Pink1, Pink2, Pink3, Pink4}};
constexpr Ramp kBrowns{{Brown0, Brown1, Brown2, Brown3, Brown4}};
constexpr Ramp kSlates{{Slate0, Slate1, Slate2, Slate3, Slate4}};
constexpr Ramp kMosses{{Moss0, Moss1, Moss2, Moss3, Moss4}};
constexpr Ramp kBricks{{Brick0, Brick1, Brick2, Brick3, Brick4}};
constexpr Ramp kSands{{Sand0, Sand1, Sand2, Sand3, Sand4}};

Palette AtlasPalette();

// The pen for the cell of sprite n in the atlas (from the game's cut table).
Pen CellPen(Canvas& atlas, int n);

// The families, one file each.
void DrawFont(Canvas& atlas);
void DrawScoreLabels(Canvas& atlas);
void DrawTitleLogo(Canvas& atlas);
void DrawCreditLine(Canvas& atlas);
void DrawPlayerSprites(Canvas& atlas);    // pointer, ship, lives, shots, satellite, power-up
void DrawEffects(Canvas& atlas);          // sparks, explosions, enemy bullet
void DrawEnemies(Canvas& atlas);          // carriers, creatures, swarmers, pods
void DrawFruit(Canvas& atlas);
void DrawWallsAndRadar(Canvas& atlas);    // wall textures, wall overlay, radar frame
