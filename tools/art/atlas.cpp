// The 512x75 atlas: palette, cell layout and the order the families are drawn.
#include "tools/art/atlas.h"

#include <cstdio>
#include <cstdlib>

#include "render/graphics.h"

namespace {

struct NamedColour {
  Ink ink;
  Rgb rgb;
};

// Bright, saturated ramps in the manner of 16-bit arcade boards; the darkest
// shade of each ramp still reads against the dark playfield.
constexpr NamedColour kColours[] = {
    {Key, {255, 0, 255}},
    {Black, {0, 0, 0}},
    {Shade, {20, 14, 36}},
    {Grey0, {48, 48, 66}},     {Grey1, {90, 94, 116}},    {Grey2, {140, 146, 168}},
    {Grey3, {190, 196, 212}},  {Grey4, {230, 234, 244}},  {White, {255, 255, 255}},
    {Red0, {96, 14, 30}},      {Red1, {168, 26, 42}},     {Red2, {228, 56, 52}},
    {Red3, {255, 118, 90}},    {Red4, {255, 192, 168}},
    {Orange0, {128, 48, 10}},  {Orange1, {204, 88, 16}},  {Orange2, {252, 140, 28}},
    {Orange3, {255, 192, 76}}, {Orange4, {255, 230, 164}},
    {Yellow0, {124, 98, 10}},  {Yellow1, {196, 158, 16}}, {Yellow2, {248, 214, 36}},
    {Yellow3, {255, 240, 116}},{Yellow4, {255, 252, 212}},
    {Green0, {14, 74, 36}},    {Green1, {22, 130, 48}},   {Green2, {62, 194, 60}},
    {Green3, {140, 238, 98}},  {Green4, {214, 255, 184}},
    {Cyan0, {10, 66, 100}},    {Cyan1, {14, 122, 160}},   {Cyan2, {38, 186, 218}},
    {Cyan3, {116, 230, 248}},  {Cyan4, {210, 252, 255}},
    {Blue0, {22, 30, 100}},    {Blue1, {38, 66, 180}},    {Blue2, {66, 118, 242}},
    {Blue3, {126, 170, 255}},  {Blue4, {198, 218, 255}},
    {Purple0, {60, 18, 92}},   {Purple1, {108, 38, 156}}, {Purple2, {164, 74, 220}},
    {Purple3, {210, 136, 250}},{Purple4, {242, 206, 255}},
    {Pink0, {112, 20, 72}},    {Pink1, {180, 40, 110}},   {Pink2, {236, 84, 150}},
    {Pink3, {255, 146, 192}},  {Pink4, {255, 210, 230}},
    {Brown0, {70, 38, 20}},    {Brown1, {118, 70, 36}},   {Brown2, {170, 114, 60}},
    {Brown3, {214, 164, 100}}, {Brown4, {240, 210, 158}},
    {Slate0, {30, 38, 62}},    {Slate1, {50, 62, 96}},    {Slate2, {76, 92, 132}},
    {Slate3, {110, 128, 170}}, {Slate4, {150, 168, 204}},
    {Moss0, {22, 44, 30}},     {Moss1, {36, 70, 42}},     {Moss2, {56, 100, 56}},
    {Moss3, {84, 134, 70}},    {Moss4, {124, 170, 96}},
    {Brick0, {62, 22, 26}},    {Brick1, {100, 36, 36}},   {Brick2, {142, 54, 46}},
    {Brick3, {180, 82, 62}},   {Brick4, {212, 122, 92}},
    {Sand0, {74, 58, 34}},     {Sand1, {112, 90, 52}},    {Sand2, {152, 124, 74}},
    {Sand3, {190, 160, 102}},  {Sand4, {222, 196, 140}},
    {RadarBack, {6, 14, 22}},  {RadarGrid, {14, 34, 40}},
};
static_assert(sizeof(kColours) / sizeof(kColours[0]) == InkCount, "every ink needs a colour");

[[noreturn]] void Fail(const char* what, int a, int b) {
  std::fprintf(stderr, "generate-art: %s (%d, %d)\n", what, a, b);
  std::exit(1);
}

const AtlasCut& FindCut(int n) {
  for (const AtlasCut& cut : kAtlasCuts) {
    if (cut.sprite == n) return cut;
  }
  Fail("no atlas cell for sprite", n, 0);
}

bool Overlap(const AtlasCut& a, const AtlasCut& b) {
  return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

bool IsCreatureOverFruit(const AtlasCut& a, const AtlasCut& b) {
  const bool aCreature = a.sprite >= 76 && a.sprite <= 79;
  const bool bCreature = b.sprite >= 76 && b.sprite <= 79;
  const bool aFruit = a.sprite >= 90 && a.sprite <= 97;
  const bool bFruit = b.sprite >= 90 && b.sprite <= 97;
  return (aCreature && bFruit) || (bCreature && aFruit);
}

// The layout is the game's: every cell inside the image, no two cells
// sharing a pixel except the unused creature cells 76..79 over the fruit.
void CheckLayout(int width, int height) {
  for (const AtlasCut& a : kAtlasCuts) {
    if (a.x < 0 || a.y < 0 || a.x + a.width > width || a.y + a.height > height) Fail("cell outside the atlas", a.sprite, 0);
    for (const AtlasCut& b : kAtlasCuts) {
      if (&a < &b && Overlap(a, b) && !IsCreatureOverFruit(a, b)) Fail("cells overlap", a.sprite, b.sprite);
    }
  }
}

}  // namespace

Palette AtlasPalette() {
  Palette palette{};
  for (const NamedColour& c : kColours) palette[c.ink] = c.rgb;
  return palette;
}

Pen CellPen(Canvas& atlas, int n) {
  const AtlasCut& cut = FindCut(n);
  return Pen{&atlas, cut.x, cut.y, cut.width, cut.height};
}

Image DrawAtlas() {
  Canvas atlas(512, 75, Key);
  CheckLayout(atlas.width, atlas.height);
  DrawFont(atlas);
  DrawPlayerSprites(atlas);
  DrawEffects(atlas);
  DrawEnemies(atlas);
  DrawFruit(atlas);
  DrawScoreLabels(atlas);
  DrawWallsAndRadar(atlas);
  DrawTitleLogo(atlas);
  DrawCreditLine(atlas);
  return {atlas, AtlasPalette()};
}
