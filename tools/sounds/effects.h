// The game's sound effects: what each is, its format, and how it is made.
#pragma once

#include "tools/sounds/synth.h"

namespace sfx {

enum class Container { Ogg, Wav };

struct Effect {
  const char* file;      // name in assets/
  const char* playedOn;  // the game events that play it
  Container container;
  int channels;
  int rate;
  int frames;
  float quality;  // Vorbis quality (-0.1..1); unused for WAV
  double loudDb;  // loudness of its loudest 50 ms
  void (*make)(Clip& clip);  // draws the effect into a silent clip of that format
};

// Every effect, in the order of the files the game loads.
extern const Effect kEffects[18];

}  // namespace sfx
