// The tune's seventeen instruments, every sample synthesised here.
#pragma once

#include <vector>

#include "tools/tune/xm_writer.h"

namespace tune {

// Instrument numbers as the patterns name them (1-based, in module order).
enum Ins : uint8_t {
  kLead = 1,      // pulse lead with a slow pulse-width sweep
  kFlute,         // soft, breathy lead for the quiet section
  kBell,          // two-operator FM bell
  kChip,          // 25% pulse for the fast arpeggios
  kSawPad,        // three detuned saws
  kVoxPad,        // "aah" formant pad
  kSubBass,       // sine sub bass
  kSawBass,       // plucked saw bass with a closing filter
  kKick,
  kSnare,
  kClap,
  kClosedHat,
  kOpenHat,
  kCrash,
  kTom,
  kNoise,         // looped noise for risers and sweeps
  kStab,          // power-chord stab (root, fifth, octave)
  kInstrumentCount = kStab
};

std::vector<Instrument> MakeInstruments();

}  // namespace tune
