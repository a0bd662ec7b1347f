// Display services: the screen, the sprite bank, blits, painting and quads.
//
// Everything is drawn in software into 32-bit surfaces (0x00RRGGBB per pixel).
// The screen is a 640x480 back buffer that PresentFrame hands to the platform
// presenter; sprites are numbered off-screen images; quads and triangle lists
// are textured, filtered and blended the way a 3-D card would draw them
// (pixel centres on whole coordinates, texel centres on half texels, clamped
// addressing, colour-keyed texels left out).
//
// Operations on a free sprite or quad number do nothing and return false/0.
// Drawing goes to the selected target: the back buffer (ScreenTarget) or a
// sprite; BeginPass and PresentFrame select the back buffer again.
#pragma once

#include <cstddef>
#include <cstdint>

// 0x00BBGGRR: red in the low byte.
using Colour = uint32_t;

constexpr Colour MakeColour(int r, int g, int b) {
  return static_cast<Colour>(r) + static_cast<Colour>(g) * 256u + static_cast<Colour>(b) * 65536u;
}

// A Colour as surfaces store it: 0x00RRGGBB.
constexpr uint32_t ColourToPixel(Colour colour) {
  return ((colour & 0xFFu) << 16) | (colour & 0xFF00u) | ((colour >> 16) & 0xFFu);
}

constexpr int ScreenTarget = -1;
constexpr int kScreenWidth = 640;
constexpr int kScreenHeight = 480;

enum class ImageKind { PlainImage, TextureImage, LightMapImage };
enum class BlendFactor { Zero, One, SourceAlpha, InverseSourceAlpha };

// A pre-transformed vertex of a textured triangle list.
struct TexturedVertex {
  float x, y;      // screen pixels
  float z;         // depth (unused: nothing is depth-tested)
  float rhw;       // reciprocal w (unused: every vertex has 1.0)
  uint32_t colour; // diffuse colour, 0xAARRGGBB
  float u, v;      // texture coordinates, 0..1 across the texture
};

//-----------------------------------------------------------------------------
// Screen
//-----------------------------------------------------------------------------

bool StartDisplayService();
bool Start3DService();
void StopDisplayService();
void RequestRefreshRate(int hz);
// Opens the 640x480 screen. Only a depth of 32 bits exists. A refresh rate of
// 60 is granted only when the display runs at 60 Hz; the presenter then also
// waits for the vertical blank.
bool OpenDisplay(int width, int height, int depth, const char* title);
void CloseDisplay();
bool IsDisplayOpen();
bool SetFrameCap(int fps);
bool IsFrameCapActive();
// The start of a loop pass: waits until the pass is due, then takes in the
// events that came meanwhile (input, focus, the window's messages).
void BeginPass();
// The end of a loop pass: shows the frame the pass composed, at once, so
// that what the pass took in is on the screen without waiting for the next.
void PresentFrame();
// Shows the back buffer at once, within a loop pass (clearing the screen
// while it is set up); true when the frame went to the platform's presenter
// (the window is open and in front).
bool ShowBackBuffer();
bool IsDisplayActive();

// Tools may watch the loop's frames (vantomir-tool latency): eventsTaken is
// called at the end of BeginPass, right after the platform has delivered the
// pass's events, presented right after PresentFrame has handed the frame to
// the platform's presenter (ShowBackBuffer's frames are not the loop's and are
// not reported). Either may be null; a null watcher stops watching.
struct FrameWatcher {
  void (*eventsTaken)() = nullptr;
  void (*presented)() = nullptr;
};
void WatchFrames(FrameWatcher watcher);

// Opens the game's screen with its fallbacks (60 Hz if asked for, then the
// display's own rate); shows "Error: Can't set display mode." and returns
// false when nothing opens.
bool OpenGameScreen();

// The 640x480 back buffer, 0x00RRGGBB.
const uint32_t* BackBuffer();

//-----------------------------------------------------------------------------
// Targets and sprites
//-----------------------------------------------------------------------------

void SelectTarget(int n);
int SelectedTarget();
void ClearTarget(Colour colour);
void SetTransparentColour(int n, Colour colour);
bool CreateSprite(int n, int width, int height, bool texture);
// image is a complete 8-bit palettised BMP file image.
bool LoadSpriteImage(int n, const uint8_t* image, size_t size, ImageKind kind);
bool CutSprite(int n, int x, int y, int width, int height);
void FreeSprite(int n);
bool SpriteExists(int n);
void SetSourceRect(int n, int x, int y, int width, int height);
void Blit(int n, int x, int y);
void BlitKeyed(int n, int x, int y);
void BlitLightMap(int n, int x, int y);

// Read access to a sprite's pixels (0x00RRGGBB, rows top to bottom); for a
// light map, pixels is null and levels holds its bytes. ScreenTarget gives
// the back buffer.
struct SpriteView {
  int width = 0;
  int height = 0;
  const uint32_t* pixels = nullptr;
  const uint8_t* levels = nullptr;
};
SpriteView ViewSprite(int n);
uint32_t* SpritePixelsForWriting(int n);

//-----------------------------------------------------------------------------
// Painting
//-----------------------------------------------------------------------------

// PaintBox and PaintLine draw into the sprite being painted, or into the
// selected target when no painting is in progress.
void BeginPaint(int n);
void EndPaint();
void PaintPixel(int x, int y, Colour colour);
void PaintBox(int x, int y, int width, int height, Colour colour);
void PaintLine(int x, int y, int dx, int dy, Colour colour);

//-----------------------------------------------------------------------------
// Textured quads and triangles (drawn on the back buffer)
//-----------------------------------------------------------------------------

void CreateQuad(int q, int n);
void SizeQuad(int q, int width, int height);
void BeginQuads();
void EndQuads();
void SetQuadBlend(BlendFactor source, BlendFactor destination);
void SetQuadSmoothing(bool on);
// On (the default at BeginQuads): texels equal to the texture's key are left out.
void SetQuadColourKeying(bool on);
void SetTextureClamp();
void DrawQuad(int q, int x, int y, int alpha);
void DrawTexturedTriangles(int n, const TexturedVertex* vertices, int count);

// Frees every sprite and forgets every quad (tests and shutdown).
void ResetDisplayServices();
