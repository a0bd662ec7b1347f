// Display services: the screen, the sprite bank, blits and painting.
//
// Every surface is plain memory of 0x00RRGGBB pixels, so nothing is ever lost
// and every blit draws. The textured quads live in display_quads.cpp.
//
// [SECTION] State and helpers
// [SECTION] Screen
// [SECTION] Sprite bank
// [SECTION] Image loading (8-bit palettised BMP)
// [SECTION] Targets and blits
// [SECTION] Painting
#include <algorithm>
#include <bit>
#include <cassert>
#include <cstring>

#include "platform/display.h"
#include "platform/pacer.h"
#include "render/display_internal.h"

DisplayState displayState;

//-----------------------------------------------------------------------------
// [SECTION] State and helpers
//-----------------------------------------------------------------------------

namespace {

// A drawable surface: the back buffer or a sprite's pixels.
struct Surface {
  uint32_t* pixels = nullptr;
  int width = 0;
  int height = 0;
};

Surface ScreenSurface() {
  return {displayState.backBuffer.data(), kScreenWidth, kScreenHeight};
}

Surface SpriteSurface(Sprite* sprite) {
  if (sprite == nullptr || sprite->kind == ImageKind::LightMapImage) return {};
  return {sprite->pixels.data(), sprite->width, sprite->height};
}

// The selected target. A sprite that was freed after it was selected gives
// an empty surface, so drawing into it does nothing.
Surface TargetSurface() {
  if (displayState.target == ScreenTarget) return ScreenSurface();
  return SpriteSurface(FindSprite(displayState.target));
}

void ResetSourceRect(Sprite& sprite) {
  sprite.sourceX = 0;
  sprite.sourceY = 0;
  sprite.sourceWidth = sprite.width;
  sprite.sourceHeight = sprite.height;
}

// Ends painting when sprite n, the one being painted, goes away.
void ForgetPainting(int n) {
  if (displayState.paintSprite == n) displayState.paintSprite = -1;
}

// Puts a new, empty sprite of the given kind and size on number n, replacing
// whatever n held. The caller fills its pixels or levels.
Sprite* MakeSprite(int n, int width, int height, ImageKind kind) {
  if (n < 0 || n > kMaxImageNumber) return nullptr;
  if (width <= 0 || height <= 0 || width > 65535 || height > 65535) return nullptr;
  ForgetPainting(n);
  auto& sprites = displayState.sprites;
  if (static_cast<size_t>(n) >= sprites.size()) sprites.resize(static_cast<size_t>(n) + 1);
  Sprite& sprite = sprites[static_cast<size_t>(n)];
  sprite = Sprite{};
  sprite.exists = true;
  sprite.kind = kind;
  sprite.width = width;
  sprite.height = height;
  const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
  if (kind == ImageKind::LightMapImage) {
    sprite.levels.assign(count, 128);
  } else {
    sprite.pixels.assign(count, 0);
  }
  sprite.key = displayState.defaultKey;
  ResetSourceRect(sprite);
  return &sprite;
}

void FreeAllSprites() {
  displayState.sprites.clear();
  displayState.paintSprite = -1;
}

}  // namespace

Sprite* FindSprite(int n) {
  if (n < 0 || static_cast<size_t>(n) >= displayState.sprites.size()) return nullptr;
  Sprite& sprite = displayState.sprites[static_cast<size_t>(n)];
  return sprite.exists ? &sprite : nullptr;
}

void ResetDisplayServices() {
  FreeAllSprites();
  displayState.scratch.clear();
  displayState.defaultKey = 0;
  displayState.target = ScreenTarget;
  displayState.backBuffer.fill(0);
  ResetQuadState();
}

//-----------------------------------------------------------------------------
// [SECTION] Screen
//-----------------------------------------------------------------------------

bool StartDisplayService() {
  displayState.videoStarted = platform::StartVideo();
  return displayState.videoStarted;
}

// Quads are drawn in software: there is always a 3-D service.
bool Start3DService() { return true; }

void StopDisplayService() {
  if (displayState.open) CloseDisplay();
  platform::StopVideo();
  displayState.videoStarted = false;
}

void RequestRefreshRate(int hz) { displayState.requestedRate = hz; }

bool OpenDisplay(int width, int height, int depth, const char* title) {
  if (displayState.open) {
    platform::CloseWindow();
    displayState.open = false;
  }
  // The game asks for 32, 16 and 24 bits in turn; only 32 exists here.
  if (width != kScreenWidth || height != kScreenHeight || depth != 32) return false;
  // A 60 Hz mode exists only on a display that already runs at 60 Hz: the
  // window never switches the display's mode.
  const bool wants60 = displayState.requestedRate == 60;
  if (wants60 && platform::DisplayRefreshRate() != 60) return false;
  if (!platform::OpenWindow(title, wants60)) return false;
  displayState.open = true;
  displayState.backBuffer.fill(0);
  displayState.monitorRate = platform::DisplayRefreshRate();
  platform::ResetPacer();
  return true;
}

void CloseDisplay() {
  displayState.frameCap = 0;
  FreeAllSprites();
  displayState.target = ScreenTarget;
  for (Quad& quad : displayState.quads) quad.sprite = -1;
  platform::CloseWindow();
  displayState.open = false;
}

bool IsDisplayOpen() { return displayState.open; }

bool SetFrameCap(int fps) {
  displayState.frameCap = fps;
  return true;
}

// The cap is meant to hold the game at 60 frames a second when the display
// does not run at the requested rate. The pacer already holds 60 loop passes a
// second whatever the display does, which satisfies the cap, so an active cap
// adds no waiting of its own; it is reported for the options screen and tests.
bool IsFrameCapActive() {
  return displayState.frameCap != 0 && displayState.monitorRate != displayState.requestedRate;
}

namespace {

FrameWatcher frameWatcher;

}  // namespace

void WatchFrames(FrameWatcher watcher) { frameWatcher = watcher; }

void BeginPass() {
  EndPaint();
  displayState.target = ScreenTarget;
  platform::WaitForNextPass();
  platform::PumpEvents();
  if (frameWatcher.eventsTaken != nullptr) frameWatcher.eventsTaken();
}

void PresentFrame() {
  if (ShowBackBuffer() && frameWatcher.presented != nullptr) frameWatcher.presented();
}

// The back buffer is not flipped: it keeps its contents after the present, so
// a screenshot cut at the next pass shows what is on screen.
bool ShowBackBuffer() {
  EndPaint();
  displayState.target = ScreenTarget;
  if (!IsDisplayActive()) return false;
  platform::PresentFrame(displayState.backBuffer.data());
  return true;
}

bool IsDisplayActive() { return displayState.open && platform::IsWindowActive(); }

const uint32_t* BackBuffer() { return displayState.backBuffer.data(); }

//-----------------------------------------------------------------------------
// [SECTION] Sprite bank
//-----------------------------------------------------------------------------

void SetTransparentColour(int n, Colour colour) {
  if (n == -1) {
    displayState.defaultKey = ColourToPixel(colour);
  } else if (Sprite* sprite = FindSprite(n)) {
    sprite->key = ColourToPixel(colour);
  }
}

bool CreateSprite(int n, int width, int height, bool texture) {
  return MakeSprite(n, width, height, texture ? ImageKind::TextureImage : ImageKind::PlainImage) != nullptr;
}

void FreeSprite(int n) {
  if (Sprite* sprite = FindSprite(n)) {
    ForgetPainting(n);
    *sprite = Sprite{};
  }
}

bool SpriteExists(int n) { return FindSprite(n) != nullptr; }

// A rectangle that runs past the sprite is cut to it; -1, -1, -1, -1 gives
// the whole sprite back.
void SetSourceRect(int n, int x, int y, int width, int height) {
  Sprite* sprite = FindSprite(n);
  if (sprite == nullptr) return;
  if (x == -1 && y == -1 && width == -1 && height == -1) {
    ResetSourceRect(*sprite);
    return;
  }
  const int64_t x0 = std::clamp<int64_t>(x, 0, sprite->width);
  const int64_t y0 = std::clamp<int64_t>(y, 0, sprite->height);
  const int64_t x1 = std::clamp<int64_t>(int64_t{x} + std::max(width, 0), x0, sprite->width);
  const int64_t y1 = std::clamp<int64_t>(int64_t{y} + std::max(height, 0), y0, sprite->height);
  sprite->sourceX = static_cast<int>(x0);
  sprite->sourceY = static_cast<int>(y0);
  sprite->sourceWidth = static_cast<int>(x1 - x0);
  sprite->sourceHeight = static_cast<int>(y1 - y0);
}

// ScreenTarget views the back buffer.
SpriteView ViewSprite(int n) {
  if (n == ScreenTarget) return {kScreenWidth, kScreenHeight, displayState.backBuffer.data(), nullptr};
  const Sprite* sprite = FindSprite(n);
  if (sprite == nullptr) return {};
  SpriteView view;
  view.width = sprite->width;
  view.height = sprite->height;
  if (sprite->kind == ImageKind::LightMapImage) {
    view.levels = sprite->levels.data();
  } else {
    view.pixels = sprite->pixels.data();
  }
  return view;
}

uint32_t* SpritePixelsForWriting(int n) {
  if (n == ScreenTarget) return displayState.backBuffer.data();
  return SpriteSurface(FindSprite(n)).pixels;
}

//-----------------------------------------------------------------------------
// [SECTION] Image loading (8-bit palettised BMP)
//
// File header (14 bytes): "BM", file size, two reserved words, offset of the
// pixels. Information header (40 bytes or more): width, height (positive:
// rows run bottom-up; negative: top-down), planes 1, 8 bits per pixel, no
// compression, ..., colours used (0 = 256). Then the palette of blue, green,
// red, reserved bytes, and the rows, each padded to a multiple of 4 bytes.
// Every size and offset is checked before anything is read: a damaged image
// makes nothing.
//-----------------------------------------------------------------------------

namespace {

uint32_t ReadLe16(const uint8_t* p) { return p[0] | (uint32_t{p[1]} << 8); }
uint32_t ReadLe32(const uint8_t* p) {
  return p[0] | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}

}  // namespace

bool LoadSpriteImage(int n, const uint8_t* image, size_t size, ImageKind kind) {
  constexpr size_t kFileHeaderSize = 14;
  constexpr size_t kInfoHeaderSize = 40;
  if (image == nullptr || size < kFileHeaderSize + kInfoHeaderSize) return false;
  if (image[0] != 'B' || image[1] != 'M') return false;

  const uint64_t pixelOffset = ReadLe32(image + 10);
  const uint64_t infoSize = ReadLe32(image + 14);
  const int64_t width = static_cast<int32_t>(ReadLe32(image + 18));
  const int64_t signedHeight = static_cast<int32_t>(ReadLe32(image + 22));
  const uint32_t planes = ReadLe16(image + 26);
  const uint32_t bitsPerPixel = ReadLe16(image + 28);
  const uint32_t compression = ReadLe32(image + 30);
  uint64_t coloursUsed = ReadLe32(image + 46);
  if (coloursUsed == 0) coloursUsed = 256;

  if (infoSize < kInfoHeaderSize || planes != 1 || bitsPerPixel != 8 || compression != 0) return false;
  if (coloursUsed > 256) return false;
  const bool bottomUp = signedHeight > 0;
  const int64_t height = bottomUp ? signedHeight : -signedHeight;
  if (width <= 0 || width > 65535 || height <= 0 || height > 65535) return false;

  const uint64_t paletteOffset = kFileHeaderSize + infoSize;
  const uint64_t paletteEnd = paletteOffset + coloursUsed * 4;
  if (paletteEnd > size || paletteEnd > pixelOffset) return false;
  const uint64_t stride = (static_cast<uint64_t>(width) + 3) & ~uint64_t{3};
  // The last row may come without its padding.
  const uint64_t pixelsEnd = pixelOffset + stride * static_cast<uint64_t>(height - 1) + static_cast<uint64_t>(width);
  if (pixelsEnd > size) return false;

  const int w = static_cast<int>(width);
  const int h = static_cast<int>(height);
  Sprite* sprite = MakeSprite(n, w, h, kind);
  if (sprite == nullptr) return false;

  // Values past the palette's end show black.
  std::array<uint32_t, 256> palette{};
  for (uint64_t i = 0; i < coloursUsed; ++i) palette[i] = ReadLe32(image + paletteOffset + i * 4) & 0xFFFFFFu;

  for (int row = 0; row < h; ++row) {
    const int fileRow = bottomUp ? h - 1 - row : row;
    const uint8_t* source = image + pixelOffset + stride * static_cast<uint64_t>(fileRow);
    const size_t start = static_cast<size_t>(row) * static_cast<size_t>(w);
    if (kind == ImageKind::LightMapImage) {
      std::memcpy(sprite->levels.data() + start, source, static_cast<size_t>(w));
    } else {
      uint32_t* out = sprite->pixels.data() + start;
      for (int x = 0; x < w; ++x) out[x] = palette[source[x]];
    }
  }
  return true;
}

//-----------------------------------------------------------------------------
// [SECTION] Targets and blits
//-----------------------------------------------------------------------------

// A free number or a light map leaves the selection as it was.
void SelectTarget(int n) {
  if (n == ScreenTarget) {
    displayState.target = ScreenTarget;
    return;
  }
  const Sprite* sprite = FindSprite(n);
  if (sprite != nullptr && sprite->kind != ImageKind::LightMapImage) displayState.target = n;
}

int SelectedTarget() { return displayState.target; }

void ClearTarget(Colour colour) {
  const Surface target = TargetSurface();
  if (target.pixels == nullptr) return;
  std::fill_n(target.pixels, static_cast<size_t>(target.width) * static_cast<size_t>(target.height),
              ColourToPixel(colour));
}

// Copies the rectangle (x, y, width, height) of the selected target into a
// new plain sprite n; the rectangle must lie wholly inside the target.
bool CutSprite(int n, int x, int y, int width, int height) {
  const Surface target = TargetSurface();
  if (target.pixels == nullptr || width <= 0 || height <= 0) return false;
  if (x < 0 || y < 0 || int64_t{x} + width > target.width || int64_t{y} + height > target.height) return false;
  if (n < 0 || n > kMaxImageNumber) return false;
  // The cut may replace the target itself (and growing the bank may move the
  // sprites), so copy the rectangle out first.
  std::vector<uint32_t> copy(static_cast<size_t>(width) * static_cast<size_t>(height));
  for (int row = 0; row < height; ++row) {
    const uint32_t* source = target.pixels + static_cast<size_t>(y + row) * target.width + x;
    std::copy_n(source, width, copy.data() + static_cast<size_t>(row) * width);
  }
  Sprite* sprite = MakeSprite(n, width, height, ImageKind::PlainImage);
  if (sprite == nullptr) return false;
  sprite->pixels = std::move(copy);
  return true;
}

namespace {

// The part of a blit of source rectangle (sx, sy, w, h) to (x, y) that lies
// inside the target. Nothing is drawn when x >= target width, y >= target
// height, x <= -w or y <= -h.
struct BlitSpan {
  int sourceX, sourceY;
  int targetX, targetY;
  int width, height;
};

bool ClipBlit(const Sprite& source, const Surface& target, int x, int y, BlitSpan& span) {
  int w = source.sourceWidth;
  int h = source.sourceHeight;
  if (target.pixels == nullptr || w <= 0 || h <= 0) return false;
  if (x >= target.width || y >= target.height || x <= -w || y <= -h) return false;
  span.sourceX = source.sourceX;
  span.sourceY = source.sourceY;
  if (x < 0) {
    span.sourceX -= x;
    w += x;
    x = 0;
  }
  if (y < 0) {
    span.sourceY -= y;
    h += y;
    y = 0;
  }
  span.targetX = x;
  span.targetY = y;
  span.width = std::min(w, target.width - x);
  span.height = std::min(h, target.height - y);
  return true;
}

typedef uint32_t FourPixels __attribute__((vector_size(16)));

// Source rows of a pixel blit. A sprite blitted into itself is read from a
// copy, so overlapping rectangles come out as if copied at once.
const uint32_t* BlitSourceRows(const Sprite& source, const Surface& target, const BlitSpan& span,
                               size_t& stride) {
  stride = static_cast<size_t>(source.width);
  const uint32_t* first = source.pixels.data() + static_cast<size_t>(span.sourceY) * stride + span.sourceX;
  if (source.pixels.data() != target.pixels) return first;
  auto& scratch = displayState.scratch;
  scratch.resize(static_cast<size_t>(span.width) * static_cast<size_t>(span.height));
  for (int row = 0; row < span.height; ++row) {
    std::copy_n(first + row * stride, span.width, scratch.data() + static_cast<size_t>(row) * span.width);
  }
  stride = static_cast<size_t>(span.width);
  return scratch.data();
}

}  // namespace

void Blit(int n, int x, int y) {
  const Sprite* source = FindSprite(n);
  const Surface target = TargetSurface();
  BlitSpan span;
  if (source == nullptr || source->kind == ImageKind::LightMapImage) return;
  if (!ClipBlit(*source, target, x, y, span)) return;
  size_t stride;
  const uint32_t* from = BlitSourceRows(*source, target, span, stride);
  for (int row = 0; row < span.height; ++row) {
    uint32_t* to = target.pixels + static_cast<size_t>(span.targetY + row) * target.width + span.targetX;
    std::copy_n(from + row * stride, span.width, to);
  }
}

void BlitKeyed(int n, int x, int y) {
  const Sprite* source = FindSprite(n);
  const Surface target = TargetSurface();
  BlitSpan span;
  if (source == nullptr || source->kind == ImageKind::LightMapImage) return;
  if (!ClipBlit(*source, target, x, y, span)) return;
  const uint32_t key = source->key;
  size_t stride;
  const uint32_t* from = BlitSourceRows(*source, target, span, stride);
  for (int row = 0; row < span.height; ++row) {
    const uint32_t* in = from + row * stride;
    uint32_t* to = target.pixels + static_cast<size_t>(span.targetY + row) * target.width + span.targetX;
    int col = 0;
    for (; col + 4 <= span.width; col += 4) {  // four at a time: keep = in != key, a mask per pixel
      FourPixels from4, to4;
      std::memcpy(&from4, in + col, sizeof from4);
      std::memcpy(&to4, to + col, sizeof to4);
      const auto keep = std::bit_cast<FourPixels>(from4 != key);
      const FourPixels dest = (from4 & keep) | (to4 & ~keep);
      std::memcpy(to + col, &dest, sizeof dest);
    }
    for (; col < span.width; ++col) {
      if (in[col] != key) to[col] = in[col];
    }
  }
}

// Each light-map byte v shifts every channel of the pixel under it by v - 128,
// clamped to 0..255; 128 leaves the pixel alone.
void BlitLightMap(int n, int x, int y) {
  const Sprite* source = FindSprite(n);
  const Surface target = TargetSurface();
  BlitSpan span;
  if (source == nullptr || source->kind != ImageKind::LightMapImage) return;
  if (!ClipBlit(*source, target, x, y, span)) return;
  for (int row = 0; row < span.height; ++row) {
    const uint8_t* in =
        source->levels.data() + static_cast<size_t>(span.sourceY + row) * source->width + span.sourceX;
    uint32_t* to = target.pixels + static_cast<size_t>(span.targetY + row) * target.width + span.targetX;
    for (int col = 0; col < span.width; ++col) {
      if (in[col] == 128) continue;
      const int shift = int{in[col]} - 128;
      const uint32_t pixel = to[col];
      const uint32_t r = static_cast<uint32_t>(std::clamp(static_cast<int>((pixel >> 16) & 0xFF) + shift, 0, 255));
      const uint32_t g = static_cast<uint32_t>(std::clamp(static_cast<int>((pixel >> 8) & 0xFF) + shift, 0, 255));
      const uint32_t b = static_cast<uint32_t>(std::clamp(static_cast<int>(pixel & 0xFF) + shift, 0, 255));
      to[col] = (r << 16) | (g << 8) | b;
    }
  }
}

//-----------------------------------------------------------------------------
// [SECTION] Painting
//
// BeginPaint gives direct access to one sprite's pixels. PaintPixel writes
// without clipping (the caller stays inside; a stray write is dropped rather
// than let loose on memory). PaintBox and PaintLine clip, and paint into the
// selected target when no painting is in progress.
//-----------------------------------------------------------------------------

namespace {

Surface PaintSurface() {
  if (displayState.paintSprite >= 0) return SpriteSurface(FindSprite(displayState.paintSprite));
  return TargetSurface();
}

}  // namespace

void BeginPaint(int n) {
  EndPaint();
  const Sprite* sprite = FindSprite(n);
  if (sprite != nullptr && sprite->kind != ImageKind::LightMapImage) displayState.paintSprite = n;
}

void EndPaint() { displayState.paintSprite = -1; }

void PaintPixel(int x, int y, Colour colour) {
  if (displayState.paintSprite < 0) return;
  Sprite& sprite = displayState.sprites[static_cast<size_t>(displayState.paintSprite)];
  const bool inside = static_cast<unsigned>(x) < static_cast<unsigned>(sprite.width) &&
                      static_cast<unsigned>(y) < static_cast<unsigned>(sprite.height);
  assert(inside && "PaintPixel outside the sprite");
  if (!inside) return;
  sprite.pixels[static_cast<size_t>(y) * static_cast<size_t>(sprite.width) + static_cast<size_t>(x)] =
      ColourToPixel(colour);
}

// Fills x..x+width-1, y..y+height-1, clipped to the surface.
void PaintBox(int x, int y, int width, int height, Colour colour) {
  const Surface surface = PaintSurface();
  if (surface.pixels == nullptr || width <= 0 || height <= 0) return;
  const int64_t x0 = std::max<int64_t>(x, 0);
  const int64_t y0 = std::max<int64_t>(y, 0);
  const int64_t x1 = std::min<int64_t>(int64_t{x} + width, surface.width);
  const int64_t y1 = std::min<int64_t>(int64_t{y} + height, surface.height);
  if (x0 >= x1 || y0 >= y1) return;
  const uint32_t pixel = ColourToPixel(colour);
  for (int64_t row = y0; row < y1; ++row) {
    std::fill(surface.pixels + row * surface.width + x0, surface.pixels + row * surface.width + x1, pixel);
  }
}

// A one-pixel line from (x, y) towards (x + dx, y + dy), the end point left
// out, as a pen's LineTo draws it: one pixel per step along the longer axis,
// the other coordinate rounded to the nearest pixel (halfway steps go on
// towards the end point). Pixels outside the surface are skipped.
void PaintLine(int x, int y, int dx, int dy, Colour colour) {
  const Surface surface = PaintSurface();
  if (surface.pixels == nullptr) return;
  const uint32_t pixel = ColourToPixel(colour);
  const int64_t adx = dx < 0 ? -int64_t{dx} : dx;
  const int64_t ady = dy < 0 ? -int64_t{dy} : dy;
  const int64_t steps = std::max(adx, ady);
  const int sx = dx < 0 ? -1 : 1;
  const int sy = dy < 0 ? -1 : 1;
  for (int64_t i = 0; i < steps; ++i) {
    int64_t px;
    int64_t py;
    if (adx >= ady) {
      px = x + sx * i;
      py = y + sy * ((2 * i * ady + adx) / (2 * adx));
    } else {
      py = y + sy * i;
      px = x + sx * ((2 * i * adx + ady) / (2 * ady));
    }
    if (px < 0 || py < 0 || px >= surface.width || py >= surface.height) continue;
    surface.pixels[py * surface.width + px] = pixel;
  }
}
