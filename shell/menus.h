// What the menu screens share: the pointer model and the click.
#pragma once

#include <cstdint>

// The pointer in playfield coordinates and the 8x8 text cell under it.
struct MenuPointer {
  int32_t menuX;    // pointerX x 256 / 640
  int32_t menuY;    // pointerY x 224 / 480
  int32_t cellCol;  // menuX / 8
  int32_t cellRow;  // menuY / 8
};

MenuPointer ReadMenuPointer();

// The pointer sprite, drawn last on every menu screen.
void DrawMenuPointer(const MenuPointer& pointer);

// The menus' click (sound slot 2), and its own volume (0..100).
void PlayClickSound();
void SetClickSoundVolume(int32_t volume);

// Text positions are in playfield pixels; a cell is 8x8.
constexpr bool PointerOnCells(const MenuPointer& p, int32_t row, int32_t firstCol, int32_t lastCol) {
  return p.cellRow == row && p.cellCol >= firstCol && p.cellCol <= lastCol;
}
