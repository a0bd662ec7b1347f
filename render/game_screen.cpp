// Opening the game's screen, with its fallbacks.
#include <string>

#include "persist/settings.h"
#include "platform/display.h"
#include "platform/message_box.h"
#include "render/display.h"
#include "render/graphics.h"

namespace {

constexpr int kDepths[3] = {32, 16, 24};

bool OpenAtRate(int hz) {
  RequestRefreshRate(hz);
  for (int depth : kDepths) {
    if (OpenDisplay(kScreenWidth, kScreenHeight, depth, "Vantomir")) return true;
  }
  return false;
}

}  // namespace

bool OpenGameScreen() {
  bool open = (settings.sixtyHzMode == 1 && OpenAtRate(60)) || OpenAtRate(0);
  if (!open) {
    const std::string message = std::string("Error: Can't set display mode: ") + platform::LastVideoError();
    platform::ShowMessageBox("Vantomir", message.c_str());
    return false;
  }
  SetFrameCap(60);
  for (int i = 0; i < 3; ++i) {
    ClearTarget(MakeColour(0, 0, 0));
    ShowBackBuffer();
  }
  RadarColours[0] = MakeColour(0, 96, 48);
  RadarColours[1] = MakeColour(0, 128, 32);
  RadarColours[2] = MakeColour(0, 96, 192);
  RadarColours[3] = MakeColour(0, 192, 48);
  RadarColours[4] = MakeColour(192, 192, 192);
  return true;
}
