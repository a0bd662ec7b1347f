// Building blocks of the sound effects: curves over time, band-limited
// oscillators, noise, filters, stereo placement, echo and the finishing steps.
//
// A Signal is one channel of samples, nominally in -1..1, at the rate of the
// clip it belongs to. Everything here is plain double arithmetic with our own
// noise generator, so the same program always produces the same samples.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <utility>
#include <vector>

namespace sfx {

using Signal = std::vector<double>;

// A value over time in seconds: a pitch in Hz, a cutoff, an envelope level.
using Curve = std::function<double(double)>;

// One effect: one or two channels of equal length at one rate.
struct Clip {
  int rate = 22050;
  std::vector<Signal> channels;
  int silentFrames = 0;  // frames at the end that must stay silent

  int Frames() const { return channels.empty() ? 0 : int(channels[0].size()); }
  double Seconds() const { return double(Frames()) / rate; }
  // The time in which the effect must have faded out.
  double AudibleSeconds() const { return double(Frames() - silentFrames) / rate; }
  // A fresh silent signal as long as the clip.
  Signal Silence() const { return Signal(size_t(Frames()), 0.0); }
};

//-----------------------------------------------------------------------------
// Curves
//-----------------------------------------------------------------------------

Curve Constant(double value);

// From `from` to `to` in `seconds` along an exponential path (equal ratios in
// equal times: the natural shape of a pitch glide), then holding `to`.
Curve Glide(double from, double to, double seconds);

// Straight lines through (time, value) points; before the first point and
// after the last the end values hold.
Curve Segments(std::initializer_list<std::pair<double, double>> points);

// A struck envelope: rises linearly to 1 in `attack` seconds, then falls by
// e every `decay` seconds.
Curve Strike(double attack, double decay);

// A note held for `length` seconds: linear attack, then full level, then a
// release of `release` seconds down to 0.
Curve Held(double attack, double length, double release);

// The curve, delayed by `seconds` (0 before it starts).
Curve Delayed(Curve curve, double seconds);

// Pitch with vibrato: the base curve wobbling by `depth` semitones, `rate`
// times a second.
Curve Vibrato(Curve pitch, double rate, double depth);

// Two curves multiplied.
Curve Times(Curve a, Curve b);

// The frequency of a MIDI note number (69 = A4 = 440 Hz).
double NoteHz(double note);

//-----------------------------------------------------------------------------
// Sources
//-----------------------------------------------------------------------------

enum class Wave { Sine, Triangle, Square, Saw };

// A band-limited oscillator: each harmonic fades out before it reaches the
// Nyquist frequency, so sweeps stay free of aliasing even at low rates.
Signal Oscillator(Wave wave, const Curve& hz, int frames, int rate, double phase = 0.0);

// A pulse wave of the given duty cycle (0..1), as the difference of two
// band-limited saws.
Signal Pulse(double duty, const Curve& hz, int frames, int rate);

// Our noise source: xorshift64*, seeded explicitly.
class Noise {
 public:
  explicit Noise(uint64_t seed) : state_(seed ? seed : 0x9E3779B97F4A7C15ull) {}
  uint64_t Next();
  double Uniform();   // 0..1
  double Between(double lo, double hi);
  Signal White(int frames);  // uniform -1..1

 private:
  uint64_t state_;
};

// Sparse crackle: `perSecond` clicks on average, each a single sample of
// random sign and size.
Signal Crackle(Noise& noise, double perSecond, int frames, int rate);

//-----------------------------------------------------------------------------
// Shaping
//-----------------------------------------------------------------------------

// The signal times the curve, sample by sample.
Signal Shape(Signal signal, const Curve& level, int rate);

// tanh saturation after `drive` gain, rescaled so that small signals keep
// their size.
Signal Saturate(Signal signal, double drive);

// The resonant state-variable filter (trapezoidal form, stable under fast
// cutoff changes). `q` 0.707 is flat; higher rings.
enum class Pass { Low, Band, High };
Signal Filter(const Signal& signal, Pass pass, const Curve& cutoffHz, double q, int rate);

// Adds `source` × gain into `into`, starting `offset` samples in; what falls
// past the end is dropped.
void MixInto(Signal& into, const Signal& source, double gain, int offset = 0);

//-----------------------------------------------------------------------------
// Stereo
//-----------------------------------------------------------------------------

// Adds a mono source to every channel of the clip, placed by constant-power
// panning (-1 left .. +1 right); a mono clip just takes it.
void Place(Clip& clip, const Signal& source, double gain, double pan, double atSeconds = 0.0);

// A ping-pong echo: each repeat `delay` seconds later, `feedback` times
// quieter and on the other side.
void Echo(Clip& clip, double delay, double feedback, double wet);

//-----------------------------------------------------------------------------
// Finishing
//-----------------------------------------------------------------------------

struct Loudness {
  double peakDb;  // largest sample, dB of full scale
  double rmsDb;   // whole clip
  double loudDb;  // loudest 50 ms, lightly weighted against the bass
};

Loudness Measure(const Clip& clip);

// The last steps of every effect: remove any DC offset, fade the first
// millisecond in and the end out so that it reaches silence where its silent
// frames begin (they stay 0), then scale it so its loudness reaches `loudDb`
// without the peak passing `peakDb`.
void Finish(Clip& clip, double loudDb, double peakDb);

}  // namespace sfx
