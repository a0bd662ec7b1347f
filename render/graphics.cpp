#include "render/graphics.h"

Colour RadarColours[7];

namespace {

const Colour kMagenta = MakeColour(255, 0, 255);
const Colour kBlack = MakeColour(0, 0, 0);

void BuildScanlineTile() {
  CreateSprite(ScanlineTile, 32, 32, true);
  BeginPaint(ScanlineTile);
  PaintBox(0, 0, 32, 32, kMagenta);
  for (int i = 0; i < 16; ++i) PaintLine(0, 2 * i, 32, 0, kBlack);
  EndPaint();
  CreateQuad(ScanlineTile, ScanlineTile);
}

void BuildFrameTextures() {
  for (int n = FrameTexture; n < FrameTexture + 4; ++n) {
    CreateSprite(n, 256, 256, true);
    BeginPaint(n);
    PaintBox(0, 0, 256, 256, kBlack);
    EndPaint();
    CreateQuad(n, n);
  }
}

}  // namespace

void BuildGraphics() {
  SetTransparentColour(ScreenTarget, kMagenta);
  CreateSprite(Playfield, kPlayfieldWidth, kPlayfieldHeight, false);
  BuildScanlineTile();
  BuildFrameTextures();
  SelectTarget(ScreenTarget);
}

void FreeAllSprites() {
  for (int n = 0; n <= 256; ++n) FreeSprite(n);
}
