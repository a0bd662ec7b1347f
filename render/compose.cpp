//-----------------------------------------------------------------------------
// Frame composition.
//
// With trails on, the shown picture is the newest playfield with the three
// before it blended over it at alphas 48, 24 and 12. Scaling is linear (also
// when smoothed: bilinear filtering is a weighted sum), so the four frames are
// merged at 256x224 first and the result is scaled once, which gives the
// picture of four scaled passes within a level of rounding at a quarter of
// the cost.
//-----------------------------------------------------------------------------
#include "render/compose.h"

#include "persist/settings.h"
#include "render/graphics.h"
#include "world/world.h"

ViewRect viewRect{0, 0, 640, 548};
int32_t TrailIndex = 0;
TexturedVertex GlowBuffer[6145];
int32_t glowCount = 0;

namespace {

// Alpha of the newest frame and of the three before it.
constexpr uint16_t kTrailAlpha[4] = {255, 48, 24, 12};
constexpr float kScaleX = 2.5f;              // 640 / 256
constexpr float kScaleY = 15.0f / 7.0f;      // 480 / 224
constexpr uint32_t kGlowColour = 0x808080FF;  // alpha 128, red 128, green 128, blue 255

// Copies the playfield into the top 224 rows of frame texture n.
void CopyPlayfieldInto(int n) {
  SelectTarget(n);
  Blit(Playfield, 0, 0);
  SelectTarget(ScreenTarget);
}

// Two pixels at a time: their 8 channel bytes widened to 16 bits, so that
// products of two channels fit. (GCC's vector extensions; they compile to
// plain SSE2 on x86-64.)
using Bytes8 = uint8_t __attribute__((vector_size(8)));
using Words8 = uint16_t __attribute__((vector_size(16)));
using Pixels2 = uint32_t __attribute__((vector_size(8)));

Words8 Widen(Pixels2 p) { return __builtin_convertvector(reinterpret_cast<Bytes8>(p), Words8); }
Pixels2 Narrow(Words8 w) { return reinterpret_cast<Pixels2>(__builtin_convertvector(w, Bytes8)); }

// x / 255 rounded to nearest, for x up to 255 x 255.
Words8 DivideBy255(Words8 x) {
  x += 128;
  return (x + (x >> 8)) >> 8;
}

// round((over x alpha + under x (255 - alpha)) / 255) in every channel.
template <uint16_t alpha>
Pixels2 Blend(Pixels2 over, Pixels2 under) {
  return Narrow(DivideBy255(Widen(over) * alpha + Widen(under) * static_cast<uint16_t>(255 - alpha)));
}

Pixels2 Load(const uint32_t* p) {
  Pixels2 v;
  __builtin_memcpy(&v, p, sizeof v);
  return v;
}

void Store(uint32_t* p, Pixels2 v) { __builtin_memcpy(p, &v, sizeof v); }

// Frame texture 25 + TrailIndex with the three older ones blended over it,
// into the trail texture. A texel equal to the frame textures' key is left
// out, as the quads would leave it out (the newest frame shows black there).
void MergeTrails() {
  const uint32_t* frames[4];
  for (int k = 0; k < 4; ++k) frames[k] = ViewSprite(FrameTexture + ((TrailIndex - k) & 3)).pixels;
  uint32_t* out = SpritePixelsForWriting(TrailTexture);
  if (out == nullptr) return;
  const Pixels2 key = Pixels2{} + ColourToPixel(MakeColour(255, 0, 255));
  // Blends an older frame over c where it is not keyed out.
  auto over = [&key](Pixels2 c, Pixels2 older, Pixels2 blended) {
    const Pixels2 keyed = reinterpret_cast<Pixels2>(older == key);
    return (c & keyed) | (blended & ~keyed);
  };
  const int texels = kPlayfieldHeight * 256;
  auto merge = [&](int i) {
    const Pixels2 newest = Load(frames[0] + i);
    const Pixels2 second = Load(frames[1] + i);
    const Pixels2 third = Load(frames[2] + i);
    const Pixels2 fourth = Load(frames[3] + i);
    Pixels2 c = newest & ~reinterpret_cast<Pixels2>(newest == key);
    c = over(c, second, Blend<kTrailAlpha[1]>(second, c));
    c = over(c, third, Blend<kTrailAlpha[2]>(third, c));
    c = over(c, fourth, Blend<kTrailAlpha[3]>(fourth, c));
    Store(out + i, c);
  };
  for (int i = 0; i < texels; i += 4) {
    merge(i);
    merge(i + 2);
  }
}

//-----------------------------------------------------------------------------
// Glow pass: a soft glow around sparks, explosions, shots, the power-up and
// enemy bullets, added over the picture in one draw.
//-----------------------------------------------------------------------------

void AddGlow(float x, float y, float size, float u, float v, float d) {
  AddGlowQuad(glowCount & (kGlowQuads - 1), x, y, size, size, u, v, d, d);
  ++glowCount;
}

void BuildGlows() {
  glowCount = 0;
  world.Sparks.ForEach([](const Spark& s) {
    AddGlow((s.x >> 8) - 4, (s.y >> 8) - 4, 16, (s.frame >> 1) * 0.125f, 0.5f, 0.125f);
  });
  world.Explosions.ForEach([](const Explosion& e) {
    AddGlow((e.x >> 8) - 8, (e.y >> 8) - 8, 32, ((e.frame >> 1) & 3) * 0.25f, (e.frame >> 3) * 0.25f, 0.25f);
  });
  world.PlayerShots.ForEach([](const PlayerShot& s) {
    AddGlow((s.x >> 8) - 4, (s.y >> 8) - 6, 16, s.sprite == 22 ? 0.625f : 0.5f, 0.5f, 0.125f);
  });
  if (world.powerUp.powerUpActive) {
    AddGlow((world.powerUp.x >> 8) - 10, (world.powerUp.y >> 8) - 10, 32, 0.75f, 0.5f, 0.25f);
  }
  const float bulletU = (world.game.levelFrame & 1) ? 0.75f : 0.5f;
  world.EnemyBullets.ForEach([bulletU](const EnemyBullet& b) {
    AddGlow((b.x >> 8) - 14, (b.y >> 8) - 14, 32, bulletU, 0.75f, 0.25f);
  });
}

void DrawGlows() {
  BuildGlows();
  const int quads = glowCount > kGlowQuads - 1 ? kGlowQuads - 1 : glowCount;
  SetQuadBlend(BlendFactor::One, BlendFactor::One);
  DrawTexturedTriangles(GlowTexture, GlowBuffer, 6 * quads);
  SetQuadBlend(BlendFactor::SourceAlpha, BlendFactor::InverseSourceAlpha);
}

// The scanline tile (black even rows, transparent odd ones) laid over the
// whole screen at alpha scanlineAlpha darkens every even row to
// (255 - scanlineAlpha) / 255 of its brightness and leaves the odd rows alone;
// this does the same to the rows directly.
void DrawScanlines() {
  if (scanlineAlpha == 0) return;
  uint32_t* screen = SpritePixelsForWriting(ScreenTarget);
  const uint16_t factor = static_cast<uint16_t>(255 - scanlineAlpha);
  for (int y = 0; y < kScreenHeight; y += 2) {
    uint32_t* row = screen + y * kScreenWidth;
    for (int x = 0; x < kScreenWidth; x += 4) {
      const Words8 left = Widen(Load(row + x)) * factor;
      const Words8 right = Widen(Load(row + x + 2)) * factor;
      Store(row + x, Narrow(DivideBy255(left)));
      Store(row + x + 2, Narrow(DivideBy255(right)));
    }
  }
}

}  // namespace

void InitGlowBuffer() {
  for (TexturedVertex& v : GlowBuffer) v = TexturedVertex{0, 0, 0.5f, 1.0f, kGlowColour, 0, 0};
  glowCount = 0;
}

void AddGlowQuad(int slot, float x, float y, float w, float h, float u, float v, float du, float dv) {
  const float X = x * kScaleX, Y = y * kScaleY, W = w * kScaleX, H = h * kScaleY;
  TexturedVertex* q = GlowBuffer + 6 * slot;
  auto set = [](TexturedVertex& vertex, float vx, float vy, float tu, float tv) {
    vertex.x = vx;
    vertex.y = vy;
    vertex.u = tu;
    vertex.v = tv;
  };
  set(q[0], X, Y, u, v);
  set(q[1], X + W, Y, u + du, v);
  set(q[2], X, Y + H, u, v + dv);
  set(q[3], X + W, Y, u + du, v);
  set(q[4], X + W, Y + H, u + du, v + dv);
  set(q[5], X, Y + H, u, v + dv);
}

void ApplyDisplayGeometry() {
  viewRect = settings.stretch != 0 ? ViewRect{0, 0, 640, 548} : ViewRect{64, 16, 512, 512};
  // Cleared and shown within the pass: the devices are read once a pass, and
  // a rebuild of the graphics must not swallow a key pressed meanwhile.
  for (int i = 0; i < 3; ++i) {
    ClearTarget(MakeColour(0, 0, 0));
    ShowBackBuffer();
  }
  for (int q = FrameTexture; q < FrameTexture + 4; ++q) SizeQuad(q, viewRect.width, viewRect.height);
  SizeQuad(TrailTexture, viewRect.width, viewRect.height);
}

void ComposeFrame(bool inGame) {
  BeginQuads();
  SetQuadBlend(BlendFactor::SourceAlpha, BlendFactor::InverseSourceAlpha);
  int shown = FrameTexture;
  if (settings.trails == 1) {
    TrailIndex = (TrailIndex + 1) & 3;
    CopyPlayfieldInto(FrameTexture + TrailIndex);
    MergeTrails();
    shown = TrailTexture;
  } else {
    CopyPlayfieldInto(FrameTexture);
  }
  // A stretched merged frame covers the whole screen, opaque, with nothing
  // keyed out; otherwise the screen starts black.
  if (settings.stretch == 0 || shown != TrailTexture) ClearTarget(MakeColour(0, 0, 0));
  SetQuadSmoothing(settings.smoothing != 0);
  // The merged frame is drawn whole: its keyed texels were settled while
  // merging, and a blend could happen to land on the key colour.
  SetQuadColourKeying(shown != TrailTexture);
  DrawQuad(shown, viewRect.x, viewRect.y, 255);
  SetQuadColourKeying(true);
  if (inGame && settings.stretch == 1 && settings.smoothing == 1) {
    DrawGlows();
  }
  SetQuadSmoothing(false);
  DrawScanlines();
  EndQuads();
}
