#include "shell/menus.h"

#include "audio/sound.h"
#include "input/input.h"
#include "render/display.h"
#include "render/graphics.h"

MenuPointer ReadMenuPointer() {
  MenuPointer p;
  p.menuX = input.pointerX * 256 / 640;
  p.menuY = input.pointerY * 224 / 480;
  p.cellCol = p.menuX / 8;
  p.cellRow = p.menuY / 8;
  return p;
}

void DrawMenuPointer(const MenuPointer& pointer) { BlitKeyed(Pointer, pointer.menuX, pointer.menuY); }

void PlayClickSound() { PlaySound(soundTable.slot[kSoundClick], 0); }

void SetClickSoundVolume(int32_t volume) { SoundVolume(soundTable.slot[kSoundClick], volume); }
