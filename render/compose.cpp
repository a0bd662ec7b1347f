#include "render/compose.h"

#include "persist/settings.h"
#include "render/display.h"
#include "render/graphics.h"

ViewRect viewRect{0, 0, 640, 548};
int32_t TrailIndex = 0;

namespace {

// Alpha of the newest frame and of the three before it.
constexpr int kTrailAlpha[4] = {255, 48, 24, 12};

// Copies the playfield into the top 224 rows of frame texture n.
void CopyPlayfieldInto(int n) {
  SelectTarget(n);
  Blit(Playfield, 0, 0);
  SelectTarget(ScreenTarget);
}

void DrawScanlines() {
  if (scanlineAlpha == 0) return;
  for (int r = 0; r < 16; ++r) {
    for (int c = 0; c < 21; ++c) DrawQuad(ScanlineTile, 32 * c, 32 * r, scanlineAlpha);
  }
}

}  // namespace

void ApplyDisplayGeometry() {
  viewRect = settings.stretch != 0 ? ViewRect{0, 0, 640, 548} : ViewRect{64, 16, 512, 512};
  for (int i = 0; i < 3; ++i) {
    ClearTarget(MakeColour(0, 0, 0));
    PresentFrame();
  }
  for (int q = FrameTexture; q < FrameTexture + 4; ++q) SizeQuad(q, viewRect.width, viewRect.height);
}

void ComposeFrame() {
  BeginQuads();
  SetQuadBlend(BlendFactor::SourceAlpha, BlendFactor::InverseSourceAlpha);
  const int frames = settings.trails == 1 ? 4 : 1;
  if (frames == 4) {
    TrailIndex = (TrailIndex + 1) & 3;
    CopyPlayfieldInto(FrameTexture + TrailIndex);
  } else {
    CopyPlayfieldInto(FrameTexture);
  }
  ClearTarget(MakeColour(0, 0, 0));
  SetQuadSmoothing(settings.smoothing != 0);
  for (int k = 0; k < frames; ++k) {
    int q = frames == 4 ? FrameTexture + ((TrailIndex - k) & 3) : FrameTexture;
    DrawQuad(q, viewRect.x, viewRect.y, kTrailAlpha[k]);
  }
  SetQuadSmoothing(false);
  DrawScanlines();
  EndQuads();
}
