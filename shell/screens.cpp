// The screens of the game, one frame per call.
#include "input/input.h"
#include "render/display.h"
#include "render/graphics.h"
#include "shell/shell.h"

namespace {

void DrawPlainBackground() {
  SelectTarget(Playfield);
  ClearTarget(MakeColour(8, 16, 40));
  SelectTarget(ScreenTarget);
}

}  // namespace

void PlayFrame() { DrawPlainBackground(); }
void AllClearFrame() { DrawPlainBackground(); }
