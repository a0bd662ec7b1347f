//-----------------------------------------------------------------------------
// Graphics building: every sprite of the game, made from the three embedded
// images (atlas, glow, light map) and from the level's height map.
//
// BuildGraphics runs whenever the sprites have to be made again (start-up,
// return from the background, screen reopened); PaintTerrainStrips and
// BuildWallTiles follow it and also run at every level start. No step
// reports failure: a sprite that cannot be made stays missing and draws
// nothing.
//-----------------------------------------------------------------------------
#include "render/graphics.h"

#include <initializer_list>

#include "assets/embedded.h"
#include "levels/level_generation.h"

Colour RadarColours[7];

namespace {

constexpr Colour kMagenta = MakeColour(255, 0, 255);
constexpr Colour kBlack = MakeColour(0, 0, 0);


bool LoadEmbeddedImage(int n, const char* name, ImageKind kind) {
  const EmbeddedFile* file = FindEmbeddedFile(name);
  if (file == nullptr) return false;
  return LoadSpriteImage(n, file->data, file->size, kind);
}

// 32x32 texture of magenta with black even rows, laid over the screen as a
// grid of quads to darken every other row.
void BuildScanlineTile() {
  CreateSprite(ScanlineTile, 32, 32, true);
  BeginPaint(ScanlineTile);
  PaintBox(0, 0, 32, 32, kMagenta);
  for (int i = 0; i < 16; ++i) PaintLine(0, 2 * i, 32, 0, kBlack);
  EndPaint();
  CreateQuad(ScanlineTile, ScanlineTile);
}

void CutAtlas() {
  LoadEmbeddedImage(Atlas, "atlas.bmp", ImageKind::PlainImage);
  SelectTarget(Atlas);
  for (const AtlasCut& cut : kAtlasCuts) CutSprite(cut.sprite, cut.x, cut.y, cut.width, cut.height);
}

// The four copies of the playfield that trails and scaling draw from, and
// the texture they are merged into; black again after every build, so trails
// restart from black.
void BuildFrameTextures() {
  for (int n : {FrameTexture, FrameTexture + 1, FrameTexture + 2, FrameTexture + 3, TrailTexture}) {
    CreateSprite(n, 256, 256, true);
    BeginPaint(n);
    PaintBox(0, 0, 256, 256, kBlack);
    EndPaint();
    CreateQuad(n, n);
  }
}

}  // namespace

void BuildGraphics() {
  SetTransparentColour(ScreenTarget, kMagenta);  // the default key of every sprite made from now on
  CreateSprite(Playfield, kPlayfieldWidth, kPlayfieldHeight, false);
  BuildScanlineTile();
  LoadEmbeddedImage(GlowTexture, "glow.bmp", ImageKind::TextureImage);
  CutAtlas();
  CreateSprite(Radar, 66, 10, false);
  FreeSprite(Atlas);
  SetTransparentColour(WallOverlay, kBlack);
  LoadEmbeddedImage(LightMap, "lightmap.bmp", ImageKind::LightMapImage);
  CreateSprite(WallScratch, 128, 16, false);
  for (int n = FirstWallTile; n < FirstWallTile + 16; ++n) CreateSprite(n, 16, 16, false);
  for (int n = FirstTerrainStrip; n < FirstTerrainStrip + 8; ++n) CreateSprite(n, 64, 208, false);
  BuildFrameTextures();
}

void FreeAllSprites() {
  for (int n = 0; n <= 256; ++n) FreeSprite(n);
}

// The far layer: eight 64x208 strips, 512 columns of the height map coloured
// by the level's plasma palette.
void PaintTerrainStrips() {
  const Colour* palette = PlasmaPalettes[LevelStyle()];
  for (int k = 0; k < 8; ++k) {
    BeginPaint(FirstTerrainStrip + k);
    for (int x = 0; x < 64; ++x) {
      for (int y = 0; y < 208; ++y) PaintPixel(x, y, palette[HeightMap[64 * k + x][y] & 1023]);
    }
    EndPaint();
  }
}

// The wall tiles: eight copies of one 16x16 texture of the level's style side
// by side, shaded by the light map's bevels, the overlay's margin cut away,
// then cut into the eight panel pieces.
void BuildWallTiles() {
  const int style = LevelStyle();
  for (int t = 0; t < 2; ++t) {
    SetSourceRect(WallTextures, 32 * style + 16 * t, 0, 16, 16);
    SelectTarget(WallScratch);
    for (int i = 0; i < 8; ++i) Blit(WallTextures, 16 * i, 0);
    BlitLightMap(LightMap, 0, 0);
    BlitKeyed(WallOverlay, 0, 0);
    for (int i = 0; i < 8; ++i) {
      SelectTarget(FirstWallTile + 8 * t + i);
      SetSourceRect(WallScratch, 16 * i, 0, 16, 16);
      Blit(WallScratch, 0, 0);
    }
  }
  SelectTarget(ScreenTarget);
}
