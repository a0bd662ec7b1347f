// vantomir-picture-probe columns|rows [--window]: the game's window and
// presenter, showing a known picture until it is asked to end (SIGTERM,
// SIGINT or its window closed).
//
// The picture gives every column (or row) of the 640x480 frame one of three
// colours in turn, pure red, green and blue, so that on the screen each
// screen column tells which game column it shows, or which two it blends.
// picture_test.sh takes screenshots of it and vantomir-picture-check measures
// them. The probe links the real SDL platform and calls only its
// platform/display.h interface, as the game does.
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/display.h"
#include "platform/pacer.h"

int main(int argc, char** argv) {
  bool rows = false, windowed = false;
  bool ok = argc >= 2 && (std::strcmp(argv[1], "columns") == 0 || std::strcmp(argv[1], "rows") == 0);
  if (ok) rows = std::strcmp(argv[1], "rows") == 0;
  for (int i = 2; ok && i < argc; ++i) {
    if (std::strcmp(argv[i], "--window") == 0) {
      windowed = true;
    } else {
      ok = false;
    }
  }
  if (!ok) {
    std::fprintf(stderr, "usage: vantomir-picture-probe columns|rows [--window]\n");
    return 2;
  }

  constexpr uint32_t kColours[3] = {0xff0000, 0x00ff00, 0x0000ff};
  std::vector<uint32_t> frame(platform::kFrameWidth * platform::kFrameHeight);
  for (int y = 0; y < platform::kFrameHeight; ++y) {
    for (int x = 0; x < platform::kFrameWidth; ++x) {
      frame[y * platform::kFrameWidth + x] = kColours[(rows ? y : x) % 3];
    }
  }

  if (!platform::StartVideo()) {
    std::fprintf(stderr, "vantomir-picture-probe: %s\n", platform::LastVideoError());
    return 1;
  }
  platform::SetWindowed(windowed);
  if (!platform::OpenWindow("Vantomir picture probe", false)) {
    std::fprintf(stderr, "vantomir-picture-probe: %s\n", platform::LastVideoError());
    platform::StopVideo();
    return 1;
  }
  while (!platform::QuitRequested()) {
    platform::PumpEvents();
    platform::PresentFrame(frame.data());
    platform::WaitForNextPass();
  }
  platform::CloseWindow();
  platform::StopVideo();
  return 0;
}
