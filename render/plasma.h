// The moving plasma behind the menu screens.
#pragma once

#include <cstdint>

struct PlasmaPhases {
  int32_t p1, p2, p3, p4;  // wave phases; p3 is advanced by the plasma alone
  int32_t ph;              // palette phase, 0..511

  bool operator==(const PlasmaPhases&) const = default;
};

extern PlasmaPhases plasma;

// Paints the whole playfield with the next frame of the plasma.
void DrawPlasma();
