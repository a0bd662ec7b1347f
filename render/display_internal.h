// Display services, internal: the one state struct shared by display.cpp
// (screen, sprite bank, blits, painting) and display_quads.cpp (textured
// quads and triangles). Nothing outside render/display*.cpp includes this.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "render/display.h"

// Sprite and quad numbers run from 0 to this bound; larger numbers are refused.
// The game uses 0..256 and 993.
constexpr int kMaxImageNumber = 65535;


struct Sprite {
  bool exists = false;
  ImageKind kind = ImageKind::PlainImage;
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;  // width x height, 0x00RRGGBB, top row first; empty for a light map
  std::vector<uint8_t> levels;   // light maps only: the image's 8-bit values, top row first
  int sourceX = 0;               // source rectangle of blits, inside the sprite
  int sourceY = 0;
  int sourceWidth = 0;
  int sourceHeight = 0;
  uint32_t key = 0;              // transparent colour as a pixel (0x00RRGGBB)

  bool operator==(const Sprite&) const = default;
};

struct Quad {
  int sprite = -1;     // bound texture sprite; -1 = free
  float width = 0.0f;  // vertex positions are (0,0), (width,0), (0,height), (width,height)
  float height = 0.0f;

  bool operator==(const Quad&) const = default;
};

// One entry per screen column (at most 640 are visible): where the column
// samples the texture. For nearest filtering only index0 is used.
struct ColumnSample {
  int32_t index0;    // texel column (clamped)
  int32_t index1;    // right-hand neighbour for bilinear filtering (clamped)
  uint64_t weights;  // weight of index1, 0..255 (in 1/256), in each 16-bit lane
};

struct DisplayState {
  // Screen
  bool videoStarted = false;     // StartDisplayService succeeded
  bool open = false;             // OpenDisplay succeeded and CloseDisplay has not run
  int requestedRate = 0;         // RequestRefreshRate; 0 = the display's own rate
  int monitorRate = 0;           // the display's rate read when the screen opened
  int frameCap = 0;              // SetFrameCap; 0 = none
  std::array<uint32_t, kScreenWidth * kScreenHeight> backBuffer{};  // 0x00RRGGBB

  // Sprite bank
  std::vector<Sprite> sprites;   // indexed by sprite number; grows on demand
  uint32_t defaultKey = 0;       // key of sprites made from now on, as a pixel
  int target = ScreenTarget;     // selected target: ScreenTarget or a sprite number
  int paintSprite = -1;          // sprite being painted; -1 = none
  std::vector<uint32_t> scratch; // copy of a source that overlaps its own target

  // Quads
  std::vector<Quad> quads;       // indexed by quad number
  BlendFactor sourceBlend = BlendFactor::SourceAlpha;
  BlendFactor destinationBlend = BlendFactor::InverseSourceAlpha;
  bool smoothing = false;        // bilinear (true) or nearest (false) filtering
  bool colourKeying = true;      // texels equal to the texture's key are left out
  bool textureClamp = false;     // SetTextureClamp was called (addressing is always clamp)
  bool inScene = false;          // between BeginQuads and EndQuads

  // Scratch of the quad rasteriser, kept here so drawing allocates nothing
  // once the largest texture has been seen.
  std::array<ColumnSample, kScreenWidth> columns{};
  std::array<std::array<uint64_t, kScreenWidth>, 2> acrossRows{};  // texture rows filtered across
  std::vector<uint64_t> texelLanes;  // one texture row widened to lanes  // one texture row, vertically filtered
};

extern DisplayState displayState;

// The sprite with number n, or null when n holds none.
Sprite* FindSprite(int n);
// Forgets every quad's binding and resets the drawing state of the quads.
void ResetQuadState();
