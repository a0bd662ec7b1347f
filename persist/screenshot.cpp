#include "persist/screenshot.h"

#include <cstdio>

#include "persist/bmp.h"
#include "render/display.h"

int32_t snapCounter = 0;

namespace {

constexpr int kScreenshotSprite = 993;
constexpr int32_t kLastNumber = 999999;  // past it every name would repeat

}  // namespace

std::string SnapFileName(int32_t number) {
  std::string digits = std::to_string(number);
  if (digits.size() < 6) digits.insert(0, 6 - digits.size(), '0');
  return "snap" + digits.substr(0, 6) + ".bmp";
}

bool SaveSpriteImage(int n, const std::string& path, std::string* error) {
  SpriteView view = ViewSprite(n);
  if (view.pixels == nullptr) return false;
  return WriteWholeFile(path, EncodeBmp24(view.pixels, view.width, view.height), error);
}

void TakeScreenshot() {
  std::string name;
  do {
    if (snapCounter >= kLastNumber) return;  // every name is taken: no shot
    ++snapCounter;
    name = SnapFileName(snapCounter);
  } while (FileSize(name) != -1);
  // Within a pass, before the screen draws, the selected target is the back
  // buffer, which still holds the frame on screen: the last pass showed it.
  if (!CutSprite(kScreenshotSprite, 0, 0, kScreenWidth, kScreenHeight)) return;
  std::string error;
  if (!SaveSpriteImage(kScreenshotSprite, name, &error)) {
    std::fprintf(stderr, "vantomir: screenshot not saved: %s\n", error.c_str());
  }
  FreeSprite(kScreenshotSprite);
}
