#include "platform/picture_layout.h"

#include "platform/display.h"

namespace platform {

PictureLayout LayOutPicture(int outputWidth, int outputHeight, int maxTextureWidth, int maxTextureHeight) {
  PictureLayout layout;
  if (outputWidth <= 0 || outputHeight <= 0) return layout;

  // The largest 4:3 rectangle inside the output, its other side rounded to
  // the nearest pixel (it never comes out larger than the output).
  const long long w = outputWidth, h = outputHeight;
  if (w * kFrameHeight >= h * kFrameWidth) {
    layout.height = outputHeight;
    layout.width = int((2 * h * kFrameWidth + kFrameHeight) / (2 * kFrameHeight));
  } else {
    layout.width = outputWidth;
    layout.height = int((2 * w * kFrameHeight + kFrameWidth) / (2 * kFrameWidth));
  }
  layout.x = (outputWidth - layout.width) / 2;
  layout.y = (outputHeight - layout.height) / 2;

  // The multiple at or just above the rectangle, on both sides.
  auto ceilDiv = [](int a, int b) { return (a + b - 1) / b; };
  int factor = ceilDiv(layout.width, kFrameWidth);
  if (ceilDiv(layout.height, kFrameHeight) > factor) factor = ceilDiv(layout.height, kFrameHeight);
  if (layout.width == factor * kFrameWidth && layout.height == factor * kFrameHeight) {
    layout.scaling = PictureScaling::Nearest;
    layout.factor = factor;
    return layout;
  }
  // The intermediate picture must be a texture the renderer can make; a
  // smaller multiple is still sharper than none.
  while (factor > 1 && ((maxTextureWidth > 0 && factor * kFrameWidth > maxTextureWidth) ||
                        (maxTextureHeight > 0 && factor * kFrameHeight > maxTextureHeight))) {
    --factor;
  }
  // Without a multiple above one (a rectangle smaller than the frame, or a
  // renderer whose textures are that small) the frame is filtered straight
  // to the rectangle.
  layout.scaling = factor > 1 ? PictureScaling::UpThenFiltered : PictureScaling::Filtered;
  layout.factor = factor;
  return layout;
}

}  // namespace platform
