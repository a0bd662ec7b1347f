//-----------------------------------------------------------------------------
// The options screen: display, sound and input settings, changed in memory at
// once. Holding fire and sliding along a bar changes it cell by cell; BACK
// needs a fresh press.
//-----------------------------------------------------------------------------
#include <string>

#include "input/input.h"
#include "persist/settings.h"
#include "render/compose.h"
#include "render/display.h"
#include "render/graphics.h"
#include "render/plasma.h"
#include "render/text.h"
#include "shell/menus.h"
#include "shell/shell.h"

namespace {

constexpr int32_t kOffColumn = 16;  // the X of "[X]OFF"
constexpr int32_t kOnColumn = 23;   // the X of "[X]ON"
constexpr int32_t kBarFirstColumn = 16;
constexpr int32_t kBarLastColumn = 26;

void ApplyScanlines() { scanlineAlpha = settings.scanlines * 255 / 100; }
void ReopenForRefreshRate() { shell.graphicsState = GraphicsState::ReopenScreen; }
void SetClickVolume() { SetClickSoundVolume(settings.volume * 5 / 10); }

// An on/off row: "LABEL      [X]OFF [ ]ON".
struct Toggle {
  int32_t row;
  const char* label;  // 11 characters
  int32_t Settings::*field;
  bool onMeansExactlyOne;  // JOYSTICK shows ON only for exactly 1
  void (*applied)();       // after a change, or null
};

// A bar of eleven positions: "LABEL      [--+--------]".
struct Bar {
  int32_t row;
  const char* label;
  int32_t Settings::*field;
  int32_t step;       // the setting's value per bar position
  void (*applied)();  // after a change (before the click plays), or null
};

const Toggle kToggles[] = {
    {3, "SMOOTHING  ", &Settings::smoothing, false, nullptr},
    {5, "STRETCH    ", &Settings::stretch, false, ApplyDisplayGeometry},
    {9, "TRAILS     ", &Settings::trails, false, nullptr},
    {11, "FORCE 60HZ ", &Settings::sixtyHzMode, false, ReopenForRefreshRate},
    {17, "MUSIC      ", &Settings::music, false, nullptr},
    {23, "  JOYSTICK ", &Settings::joystick, true, nullptr},
};

const Bar kBars[] = {
    {7, "SCANLINES  ", &Settings::scanlines, 10, ApplyScanlines},
    {15, "VOLUME     ", &Settings::volume, 10, SetClickVolume},
    {21, "MOUSE SENS ", &Settings::mouseSens, 1, nullptr},
};

// n dashes, "+", then dashes to 11 characters.
std::string BarText(int32_t n) {
  std::string bar(static_cast<size_t>(n < 0 ? 0 : n), '-');
  bar += '+';
  bar.resize(11, '-');
  return bar;
}

// Sets the field when value differs; true if it changed.
bool Change(int32_t Settings::*field, int32_t value, void (*applied)()) {
  if (settings.*field == value) return false;
  settings.*field = value;
  if (applied != nullptr) applied();
  PlayClickSound();
  return true;
}

void ActOnRow(const MenuPointer& p) {
  for (const Toggle& t : kToggles) {
    if (p.cellRow != t.row) continue;
    if (p.cellCol == kOffColumn) Change(t.field, 0, t.applied);
    if (p.cellCol == kOnColumn) Change(t.field, 1, t.applied);
  }
  for (const Bar& b : kBars) {
    if (PointerOnCells(p, b.row, kBarFirstColumn, kBarLastColumn)) {
      Change(b.field, (p.cellCol - kBarFirstColumn) * b.step, b.applied);
    }
  }
  if (PointerOnCells(p, 26, 25, 28) && !shell.clickLatch) {
    shell.screenTimer = 0;
    shell.screenState = ScreenState::Title;
    PlayClickSound();
  }
}

void DrawOptions() {
  DrawText(68, 8, "DISPLAY OPTIONS");
  DrawText(68, 16, "<=============>");
  DrawText(76, 104, "SOUND OPTIONS");
  DrawText(76, 112, "<===========>");
  DrawText(76, 152, "INPUT OPTIONS");
  DrawText(76, 160, "<===========>");
  for (const Toggle& t : kToggles) {
    const int32_t value = settings.*t.field;
    const bool on = t.onMeansExactlyOne ? value == 1 : value != 0;
    DrawText(32, 8 * t.row, std::string(t.label) + (on ? "[ ]OFF [X]ON" : "[X]OFF [ ]ON"));
  }
  for (const Bar& b : kBars) {
    DrawText(32, 8 * b.row, std::string(b.label) + "[" + BarText(settings.*b.field / b.step) + "]");
  }
  DrawText(200, 208, "BACK");
}

}  // namespace

void Options() {
  const MenuPointer pointer = ReadMenuPointer();
  if (MenuFireDown()) {
    ActOnRow(pointer);
    shell.clickLatch = 1;
  } else {
    shell.clickLatch = 0;
  }
  SelectTarget(Playfield);
  DrawPlasma();
  DrawOptions();
  DrawMenuPointer(pointer);
  SelectTarget(ScreenTarget);
}
