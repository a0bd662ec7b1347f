// Display services: the blits and quads of one frame.
//
// The frame's heaviest work: the playfield scaled to 640x548 up to four times
// (trails), up to a thousand additive glows, and the scanline tiles.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "render/display.h"

namespace {

constexpr int kPlayfield = 29;
constexpr int kFrameTexture = 25;
constexpr int kScanlineTile = 30;
constexpr int kSpark = 40;
constexpr int kGlowTexture = 256;
constexpr Colour kMagenta = MakeColour(255, 0, 255);

uint32_t Noise(uint32_t i) {
  i ^= i >> 13;
  i *= 0x5bd1e995u;
  return (i ^ (i >> 15)) & 0xFFFFFFu;
}

void FillNoise(int n, int width, int height, uint32_t seed) {
  uint32_t* pixels = SpritePixelsForWriting(n);
  for (int i = 0; i < width * height; ++i) pixels[i] = Noise(static_cast<uint32_t>(i) * 2654435761u + seed);
}

// The sprites of a running game: playfield, frame texture, a 16x16 sprite
// with a transparent surround, the scanline tile and a glow texture.
void SetUpSprites() {
  ResetDisplayServices();
  SetTransparentColour(-1, kMagenta);
  CreateSprite(kPlayfield, 256, 224, false);
  FillNoise(kPlayfield, 256, 224, 1);
  CreateSprite(kFrameTexture, 256, 256, true);
  FillNoise(kFrameTexture, 256, 256, 2);
  CreateQuad(kFrameTexture, kFrameTexture);
  SizeQuad(kFrameTexture, 640, 548);

  CreateSprite(kSpark, 16, 16, false);
  uint32_t* spark = SpritePixelsForWriting(kSpark);
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      const int dx = 2 * x - 15, dy = 2 * y - 15;
      spark[y * 16 + x] = dx * dx + dy * dy < 200 ? Noise(static_cast<uint32_t>(y * 16 + x)) : 0xFF00FFu;
    }
  }

  CreateSprite(kScanlineTile, 32, 32, true);
  BeginPaint(kScanlineTile);
  PaintBox(0, 0, 32, 32, kMagenta);
  for (int i = 0; i < 16; ++i) PaintLine(0, 2 * i, 32, 0, MakeColour(0, 0, 0));
  EndPaint();
  CreateQuad(kScanlineTile, kScanlineTile);

  CreateSprite(kGlowTexture, 256, 256, true);
  FillNoise(kGlowTexture, 256, 256, 3);
}

void BM_BlitKeyed16x16(benchmark::State& state) {
  SetUpSprites();
  SelectTarget(kPlayfield);
  for (auto _ : state) {
    for (int i = 0; i < 256; ++i) BlitKeyed(kSpark, (i * 37) % 250 - 4, (i * 53) % 220 - 4);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * 256);
}
BENCHMARK(BM_BlitKeyed16x16);

void BM_BlitOpaque256x224(benchmark::State& state) {
  SetUpSprites();
  SelectTarget(kFrameTexture);
  for (auto _ : state) {
    Blit(kPlayfield, 0, 0);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_BlitOpaque256x224);

// The playfield stretched over the screen; arguments: smoothing, alpha.
void BM_DrawQuad640x548(benchmark::State& state) {
  SetUpSprites();
  BeginQuads();
  SetQuadSmoothing(state.range(0) != 0);
  const int alpha = static_cast<int>(state.range(1));
  for (auto _ : state) {
    DrawQuad(kFrameTexture, 0, 0, alpha);
    benchmark::ClobberMemory();
  }
  EndQuads();
  state.SetItemsProcessed(state.iterations() * kScreenWidth * kScreenHeight);
}
BENCHMARK(BM_DrawQuad640x548)
    ->ArgNames({"smooth", "alpha"})
    ->Args({1, 255})
    ->Args({1, 48})
    ->Args({0, 255})
    ->Args({0, 48});

// A thousand explosion glows (32x32 playfield pixels, about 80x68 on the
// screen) as triangle pairs in one additive, filtered draw.
void BM_Glows1000(benchmark::State& state) {
  SetUpSprites();
  std::vector<TexturedVertex> vertices;
  const float kx = 2.5f, ky = 15.0f / 7.0f;
  const uint32_t colour = 0x808080FF;
  for (int i = 0; i < 1000; ++i) {
    const float x = static_cast<float>(Noise(static_cast<uint32_t>(i)) % 240) * kx - 8 * kx;
    const float y = static_cast<float>(Noise(static_cast<uint32_t>(i) + 7777) % 220) * ky - 8 * ky;
    const float w = 32 * kx, h = 32 * ky;
    const float u = 0.25f * static_cast<float>(i % 4), v = 0.25f * static_cast<float>(i / 4 % 2);
    const TexturedVertex quad[6] = {
        {x, y, 0.5f, 1.0f, colour, u, v},          {x + w, y, 0.5f, 1.0f, colour, u + 0.25f, v},
        {x, y + h, 0.5f, 1.0f, colour, u, v + 0.25f}, {x + w, y, 0.5f, 1.0f, colour, u + 0.25f, v},
        {x + w, y + h, 0.5f, 1.0f, colour, u + 0.25f, v + 0.25f}, {x, y + h, 0.5f, 1.0f, colour, u, v + 0.25f}};
    vertices.insert(vertices.end(), quad, quad + 6);
  }
  BeginQuads();
  SetQuadSmoothing(true);
  SetQuadBlend(BlendFactor::One, BlendFactor::One);
  for (auto _ : state) {
    DrawTexturedTriangles(kGlowTexture, vertices.data(), static_cast<int>(vertices.size()));
    benchmark::ClobberMemory();
  }
  EndQuads();
  state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_Glows1000)->Unit(benchmark::kMillisecond);

// One composed frame without glows: the copy into the frame texture, four
// filtered quads (trails) and the 336 scanline tiles.
void BM_ComposeFrameQuads(benchmark::State& state) {
  SetUpSprites();
  for (auto _ : state) {
    BeginQuads();
    SelectTarget(kFrameTexture);
    Blit(kPlayfield, 0, 0);
    SelectTarget(ScreenTarget);
    ClearTarget(0);
    SetQuadSmoothing(true);
    for (int alpha : {255, 48, 24, 12}) DrawQuad(kFrameTexture, 0, 0, alpha);
    SetQuadSmoothing(false);
    for (int r = 0; r < 16; ++r) {
      for (int c = 0; c < 21; ++c) DrawQuad(kScanlineTile, 32 * c, 32 * r, 51);
    }
    EndQuads();
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_ComposeFrameQuads)->Unit(benchmark::kMillisecond);

}  // namespace
