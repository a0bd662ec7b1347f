// Frame composition: ours against pixman doing the same work.
//
// Two scenes, each composed by ComposeFrame and by pixman in the same run:
//   - a menu scene: the title's plasma with trails, bilinear smoothing and
//     scanlines (20%);
//   - a heavy play scene: the same with 320 glowing objects (the glow pass).
// The pixman peer merges the four trail frames first (OVER with constant
// alpha), scales the result once with bilinear filtering, darkens the even
// rows (OVER through an a8 mask) and adds every glow as a scaled, filtered ADD
// composite of its cell of a pre-tinted glow texture.
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <vector>

#include "persist/settings.h"
#include "platform/headless.h"
#include "render/compose.h"
#include "render/display.h"
#include "render/graphics.h"
#include "render/plasma.h"
#include "shell/shell.h"
#include "world/world.h"

namespace {

void StartGame() {
  platform::headless::Reset();
  ResetDisplayServices();
  StartUp();
  RunPass();  // builds the graphics
  settings.trails = 1;
  settings.smoothing = 1;
  settings.stretch = 1;
  settings.scanlines = 20;
  scanlineAlpha = 51;
  ApplyDisplayGeometry();
}

// 320 glowing objects spread over the playfield.
void FillPlayScene() {
  ClearAllEntities();
  for (int i = 0; i < 80; ++i) {
    Spark& s = world.Sparks.Add();
    s = Spark{(i * 37 % 256) << 8, (i * 53 % 224) << 8, i % 8};
    Explosion& e = world.Explosions.Add();
    e = Explosion{(i * 71 % 256) << 8, (i * 29 % 224) << 8, i % 16};
    PlayerShot& p = world.PlayerShots.Add();
    p = PlayerShot{(i * 13 % 256) << 8, (i * 97 % 224) << 8, 0x800, 22};
    EnemyBullet& b = world.EnemyBullets.Add();
    b = EnemyBullet{(i * 91 % 256) << 8, (i * 17 % 224) << 8, 0, 0};
  }
}

void DrawMenuPlayfield() {
  SelectTarget(Playfield);
  DrawPlasma();
  SelectTarget(ScreenTarget);
}

void BM_ComposeMenu(benchmark::State& state) {
  StartGame();
  for (auto _ : state) {
    DrawMenuPlayfield();
    ComposeFrame(false);
  }
}
BENCHMARK(BM_ComposeMenu)->Unit(benchmark::kMillisecond);

void BM_ComposePlay(benchmark::State& state) {
  StartGame();
  FillPlayScene();
  for (auto _ : state) {
    DrawMenuPlayfield();
    ComposeFrame(true);
  }
  state.counters["glows"] = glowCount;
}
BENCHMARK(BM_ComposePlay)->Unit(benchmark::kMillisecond);

void BM_DrawPlasma(benchmark::State& state) {
  StartGame();
  for (auto _ : state) DrawMenuPlayfield();
}
BENCHMARK(BM_DrawPlasma)->Unit(benchmark::kMicrosecond);

void BM_TitleFrame(benchmark::State& state) {
  StartGame();
  for (auto _ : state) RunPass();
}
BENCHMARK(BM_TitleFrame)->Unit(benchmark::kMillisecond);

//-----------------------------------------------------------------------------
// The pixman peer
//-----------------------------------------------------------------------------

struct PixmanScene {
  std::vector<uint32_t> frames[4];
  std::vector<uint32_t> merged = std::vector<uint32_t>(256 * 224);
  std::vector<uint32_t> screen = std::vector<uint32_t>(640 * 480);
  std::vector<uint8_t> scanMask = std::vector<uint8_t>(640 * 480);
  std::vector<uint32_t> glow = std::vector<uint32_t>(256 * 256);
  pixman_image_t* frameImages[4];
  pixman_image_t* mergedImage;
  pixman_image_t* screenImage;
  pixman_image_t* maskImage;
  pixman_image_t* glowImage;
  pixman_image_t* black;

  PixmanScene() {
    for (int k = 0; k < 4; ++k) {
      frames[k].resize(256 * 224);
      DrawMenuPlayfield();
      SpriteView view = ViewSprite(Playfield);
      frames[k].assign(view.pixels, view.pixels + 256 * 224);
      frameImages[k] = pixman_image_create_bits(PIXMAN_x8r8g8b8, 256, 224, frames[k].data(), 256 * 4);
    }
    mergedImage = pixman_image_create_bits(PIXMAN_x8r8g8b8, 256, 224, merged.data(), 256 * 4);
    screenImage = pixman_image_create_bits(PIXMAN_x8r8g8b8, 640, 480, screen.data(), 640 * 4);
    for (int y = 0; y < 480; y += 2) std::fill_n(scanMask.begin() + y * 640, 640, uint8_t{51});
    maskImage = pixman_image_create_bits(PIXMAN_a8, 640, 480, reinterpret_cast<uint32_t*>(scanMask.data()), 640);
    // The glow texture tinted by the glows' colour (128, 128, 255) once.
    SpriteView g = ViewSprite(GlowTexture);
    for (int i = 0; i < 256 * 256; ++i) {
      uint32_t p = g.pixels[i];
      uint32_t r = ((p >> 16) & 0xFF) * 128 / 255, gg = ((p >> 8) & 0xFF) * 128 / 255, b = p & 0xFF;
      glow[i] = 0xFF000000u | r << 16 | gg << 8 | b;
    }
    glowImage = pixman_image_create_bits(PIXMAN_a8r8g8b8, 256, 256, glow.data(), 256 * 4);
    pixman_image_set_filter(glowImage, PIXMAN_FILTER_BILINEAR, nullptr, 0);
    pixman_color_t blackColour{0, 0, 0, 0xFFFF};
    black = pixman_image_create_solid_fill(&blackColour);
  }

  ~PixmanScene() {
    for (pixman_image_t* image : frameImages) pixman_image_unref(image);
    for (pixman_image_t* image : {mergedImage, screenImage, maskImage, glowImage, black}) pixman_image_unref(image);
  }

  void Compose(int glows) {
    static const uint16_t kAlpha[4] = {0, 48 * 257, 24 * 257, 12 * 257};
    pixman_image_composite32(PIXMAN_OP_SRC, frameImages[0], nullptr, mergedImage, 0, 0, 0, 0, 0, 0, 256, 224);
    for (int k = 1; k < 4; ++k) {
      pixman_color_t alpha{0, 0, 0, kAlpha[k]};
      pixman_image_t* mask = pixman_image_create_solid_fill(&alpha);
      pixman_image_composite32(PIXMAN_OP_OVER, frameImages[k], mask, mergedImage, 0, 0, 0, 0, 0, 0, 256, 224);
      pixman_image_unref(mask);
    }
    // 256 texels over 640 pixels across, 256 texels over 548 pixels down.
    pixman_transform_t scale;
    pixman_transform_init_scale(&scale, pixman_double_to_fixed(256.0 / 640), pixman_double_to_fixed(256.0 / 548));
    pixman_image_set_transform(mergedImage, &scale);
    pixman_image_set_filter(mergedImage, PIXMAN_FILTER_BILINEAR, nullptr, 0);
    pixman_image_set_repeat(mergedImage, PIXMAN_REPEAT_PAD);
    pixman_image_composite32(PIXMAN_OP_SRC, mergedImage, nullptr, screenImage, 0, 0, 0, 0, 0, 0, 640, 480);
    pixman_image_set_transform(mergedImage, nullptr);
    for (int i = 0; i < glows; ++i) {
      // A 32x32 playfield glow (80x69 on screen) from a 64x64 cell.
      const int x = (i * 71 % 256) * 5 / 2, y = (i * 29 % 224) * 15 / 7;
      pixman_transform_t t;
      pixman_transform_init_scale(&t, pixman_double_to_fixed(64.0 / 80), pixman_double_to_fixed(64.0 / 69));
      pixman_transform_translate(&t, nullptr, pixman_int_to_fixed(-x), pixman_int_to_fixed(-y));
      pixman_image_set_transform(glowImage, &t);
      pixman_image_composite32(PIXMAN_OP_ADD, glowImage, nullptr, screenImage, x, y, 0, 0, x, y, 80, 69);
    }
    pixman_image_composite32(PIXMAN_OP_OVER, black, maskImage, screenImage, 0, 0, 0, 0, 0, 0, 640, 480);
  }
};

void BM_PixmanComposeMenu(benchmark::State& state) {
  StartGame();
  PixmanScene scene;
  for (auto _ : state) {
    DrawMenuPlayfield();
    scene.Compose(0);
  }
}
BENCHMARK(BM_PixmanComposeMenu)->Unit(benchmark::kMillisecond);

void BM_PixmanComposePlay(benchmark::State& state) {
  StartGame();
  PixmanScene scene;
  for (auto _ : state) {
    DrawMenuPlayfield();
    scene.Compose(320);
  }
}
BENCHMARK(BM_PixmanComposePlay)->Unit(benchmark::kMillisecond);

}  // namespace
