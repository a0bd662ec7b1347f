#include "tools/tune/instruments.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <string>

namespace tune {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kTwoPi = 2 * kPi;

using Wave = std::vector<double>;

// xorshift32: the same noise on every run.
class Noise {
 public:
  explicit Noise(uint32_t seed) : state_(seed) {}
  double Next() {  // -1 .. 1
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return static_cast<double>(state_ >> 8) / 8388608.0 - 1.0;
  }

 private:
  uint32_t state_;
};

struct OnePoleLowpass {
  double a, y = 0;
  OnePoleLowpass(double cutoff, double rate) : a(1 - std::exp(-kTwoPi * cutoff / rate)) {}
  double operator()(double x) { return y += a * (x - y); }
};

// Two-pole band-pass (constant peak gain).
struct Bandpass {
  double b0, b2, a1, a2, x1 = 0, x2 = 0, y1 = 0, y2 = 0;
  Bandpass(double centre, double q, double rate) {
    const double w = kTwoPi * centre / rate, alpha = std::sin(w) / (2 * q), a0 = 1 + alpha;
    b0 = alpha / a0;
    b2 = -alpha / a0;
    a1 = -2 * std::cos(w) / a0;
    a2 = (1 - alpha) / a0;
  }
  double operator()(double x) {
    const double y = b0 * x + b2 * x2 - a1 * y1 - a2 * y2;
    x2 = x1;
    x1 = x;
    y2 = y1;
    y1 = y;
    return y;
  }
};

// Two cascaded one-pole high-passes.
struct Highpass {
  OnePoleLowpass l1, l2;
  Highpass(double cutoff, double rate) : l1(cutoff, rate), l2(cutoff, rate) {}
  double operator()(double x) {
    const double h = x - l1(x);
    return h - l2(h);
  }
};

void Normalize(Wave& w, double peak = 0.97) {
  double max = 0;
  for (double v : w) max = std::max(max, std::abs(v));
  if (max > 0)
    for (double& v : w) v *= peak / max;
}

// Sample rates: a tonal sample holds cycles of 32, 64 or 128 frames, tuned so
// that C-4 sounds as middle C; a drum sample is played back at its own rate at C-4.
struct Tuning {
  int8_t relativeNote;
  int8_t finetune;
};
constexpr Tuning kCycle32{0, 2}, kCycle64{12, 2}, kCycle128{24, 2};
constexpr double kRate16k = 16726, kRate25k = 25061.6, kRate33k = 33452, kRate8k = 8363;
constexpr Tuning kAt8k{0, 0}, kAt16k{12, 0}, kAt25k{19, 0}, kAt33k{24, 0};

Sample MakeSample(const std::string& name, Wave wave, Tuning tuning, bool sixteenBit, uint8_t panning = 128) {
  Normalize(wave);
  Sample s;
  s.name = name;
  s.sixteenBit = sixteenBit;
  s.relativeNote = tuning.relativeNote;
  s.finetune = tuning.finetune;
  s.panning = panning;
  for (double v : wave) {
    if (sixteenBit)
      s.data.push_back(static_cast<int16_t>(std::lround(std::clamp(v, -1.0, 1.0) * 32767)));
    else
      s.data.push_back(static_cast<int16_t>(std::clamp<long>(std::lround(v * 127), -128, 127) * 256));
  }
  return s;
}

void LoopTail(Sample& s, size_t loopLength) {
  s.loop = Loop::kForward;
  s.loopLength = static_cast<uint32_t>(loopLength);
  s.loopStart = static_cast<uint32_t>(s.data.size() - loopLength);
}

Envelope Env(std::vector<std::pair<uint16_t, uint16_t>> points, int sustain = -1) {
  Envelope e;
  e.points = std::move(points);
  e.sustain = sustain;
  return e;
}

// Sums harmonics 1..maxHarmonic of a cycle of `period` frames over frames
// [0, length); amplitude(n, frame) may change along the sample. Sine phases.
Wave Additive(size_t length, double period, int maxHarmonic, const std::function<double(int, size_t)>& amplitude,
              double phaseOffset = 0) {
  Wave w(length, 0.0);
  for (size_t i = 0; i < length; ++i) {
    const double theta = kTwoPi * static_cast<double>(i) / period + phaseOffset;
    double v = 0;
    for (int n = 1; n <= maxHarmonic; ++n) v += amplitude(n, i) * std::sin(n * theta);
    w[i] = v;
  }
  return w;
}

// Lanczos smoothing of the harmonic series, against ringing at the edges.
double Sigma(int n, int limit) {
  const double x = kPi * n / (limit + 1);
  return std::sin(x) / x;
}

double Saw(int n) { return 1.0 / n; }

//------------------------------------------------------------------------------

Instrument PulseLead() {
  // 96 cycles of 32 frames; the pulse width sweeps 50% -> 10% -> 50% once
  // per loop, so the sweep runs at a 96th of the note's frequency.
  const int cycles = 96, period = 32, harmonics = 15;
  Wave w(static_cast<size_t>(cycles * period));
  for (size_t i = 0; i < w.size(); ++i) {
    const double k = static_cast<double>(i) / period;
    const double width = 0.3 + 0.2 * std::cos(kTwoPi * k / cycles);
    const double theta = kTwoPi * k;
    double v = 0;
    for (int n = 1; n <= harmonics; ++n)
      v += Sigma(n, harmonics) * 2 / (n * kPi) * std::sin(n * kPi * width) * std::cos(n * (theta - kPi * width));
    w[i] = v;
  }
  Instrument ins;
  ins.name = "Pulse lead";
  ins.sample = MakeSample("pwm pulse", w, kCycle32, false);
  ins.sample.loop = Loop::kForward;
  ins.sample.loopLength = static_cast<uint32_t>(w.size());
  ins.volumeEnvelope = Env({{0, 64}, {4, 58}, {24, 46}, {34, 0}}, 2);
  ins.fadeout = 0x400;
  return ins;
}

Instrument Flute() {
  // A nearly sine tone with a puff of breath over its first cycles.
  const int cycles = 24, period = 32;
  const double partials[] = {1.0, 0.30, 0.13, 0.05, 0.025};
  Wave w = Additive(static_cast<size_t>(cycles * period), period, 5,
                    [&](int n, size_t) { return partials[n - 1]; });
  Noise noise(0x5eed0002);
  Bandpass breath(2000, 1.2, 8372);
  for (size_t i = 0; i < 12 * period; ++i) {
    const double t = static_cast<double>(i) / (12 * period);
    w[i] += 0.35 * (1 - t) * (1 - t) * breath(noise.Next());
  }
  Instrument ins;
  ins.name = "Breath lead";
  ins.sample = MakeSample("flute", w, kCycle32, false);
  LoopTail(ins.sample, 4 * period);
  ins.volumeEnvelope = Env({{0, 0}, {3, 64}, {12, 52}, {22, 0}}, 2);
  ins.vibratoType = 0;
  ins.vibratoSweep = 48;
  ins.vibratoDepth = 3;
  ins.vibratoRate = 9;
  ins.fadeout = 0x300;
  return ins;
}

Instrument Bell() {
  // Carrier at the note, modulator at 3.5 times it: the wave repeats every two
  // cycles. The modulation index falls from 2.8 to 0.35 over 56 cycles, then
  // the last two cycles loop.
  const int cycles = 64, period = 32;
  Wave w(static_cast<size_t>(cycles * period));
  for (size_t i = 0; i < w.size(); ++i) {
    const double k = static_cast<double>(i) / period;
    const double fall = std::max(0.0, 1 - k / 56);
    const double index = 0.35 + 2.45 * fall * fall;
    const double theta = kTwoPi * k;
    w[i] = std::sin(theta + index * std::sin(3.5 * theta)) + 0.25 * fall * fall * fall * std::sin(4 * theta);
  }
  Instrument ins;
  ins.name = "FM bell";
  ins.sample = MakeSample("bell", w, kCycle32, false, 150);
  LoopTail(ins.sample, 2 * period);
  ins.volumeEnvelope = Env({{0, 64}, {6, 44}, {24, 28}, {60, 14}, {120, 5}, {200, 0}});
  ins.fadeout = 0x200;
  return ins;
}

Instrument Chip() {
  const int period = 32, harmonics = 15;
  const double width = 0.25;
  Wave w = Additive(period, period, harmonics, [&](int n, size_t) {
    return 2 / (n * kPi) * std::sin(n * kPi * width) * (0.6 + 0.4 * Sigma(n, harmonics));
  });
  Instrument ins;
  ins.name = "Chip pulse";
  ins.sample = MakeSample("pulse 25%", w, kCycle32, false, 100);
  LoopTail(ins.sample, period);
  ins.volumeEnvelope = Env({{0, 64}, {3, 46}, {9, 32}, {24, 22}, {30, 0}}, 3);
  ins.fadeout = 0x600;
  return ins;
}

// Voices detuned by whole cycles per loop, so the loop joins seamlessly: a
// voice with c cycles in `length` frames has a period of length / c.
Wave DetunedVoices(size_t length, const std::vector<int>& cyclesPerVoice, const std::vector<double>& gains,
                   int maxHarmonic, const std::function<double(int)>& amplitude) {
  Wave w(length, 0.0);
  for (size_t v = 0; v < cyclesPerVoice.size(); ++v) {
    const double period = static_cast<double>(length) / cyclesPerVoice[v];
    const Wave voice = Additive(length, period, maxHarmonic, [&](int n, size_t) { return gains[v] * amplitude(n); },
                                1.3 * static_cast<double>(v));
    for (size_t i = 0; i < length; ++i) w[i] += voice[i];
  }
  return w;
}

Instrument SawPad() {
  const Wave w = DetunedVoices(2048, {63, 64, 65}, {0.8, 1.0, 0.8}, 14,
                               [](int n) { return Saw(n) / (1 + (n / 6.0) * (n / 6.0)); });
  Instrument ins;
  ins.name = "Saw pad";
  ins.sample = MakeSample("detuned saws", w, kCycle32, false);
  LoopTail(ins.sample, w.size());
  ins.volumeEnvelope = Env({{0, 0}, {10, 64}, {30, 54}, {50, 0}}, 2);
  ins.fadeout = 0x180;
  return ins;
}

Instrument VoxPad() {
  // Harmonic strengths of an "aah" sung on A3; the formants move with the
  // note, which is part of its character.
  auto formants = [](int n) {
    const double f = 220.0 * n;
    auto peak = [f](double centre, double width, double gain) {
      const double d = (f - centre) / width;
      return gain / (1 + d * d);
    };
    return (peak(760, 110, 1.0) + peak(1180, 140, 0.6) + peak(2600, 220, 0.25) + 0.08) / std::sqrt(n);
  };
  const Wave w = DetunedVoices(2048, {64, 65, 63}, {1.0, 0.7, 0.5}, 14, formants);
  Instrument ins;
  ins.name = "Vox pad";
  ins.sample = MakeSample("aah", w, kCycle32, false);
  LoopTail(ins.sample, w.size());
  ins.volumeEnvelope = Env({{0, 0}, {16, 64}, {40, 56}, {64, 0}}, 2);
  ins.vibratoSweep = 80;
  ins.vibratoDepth = 2;
  ins.vibratoRate = 6;
  ins.fadeout = 0x100;
  return ins;
}

Instrument SubBass() {
  const double partials[] = {1.0, 0.22, 0.08};
  const Wave w = Additive(128, 128, 3, [&](int n, size_t) { return partials[n - 1]; });
  Instrument ins;
  ins.name = "Sub bass";
  ins.sample = MakeSample("sine sub", w, kCycle128, true);
  LoopTail(ins.sample, 128);
  ins.volumeEnvelope = Env({{0, 64}, {6, 60}, {40, 52}, {46, 0}}, 2);
  ins.fadeout = 0x800;
  return ins;
}

Instrument SawBass() {
  // A saw through a closing low-pass with a little resonance: the harmonic
  // cut-off falls from 26 to 3.5 over 28 cycles and stays there for the loop.
  const int cycles = 32, period = 64, harmonics = 31;
  Wave w = Additive(static_cast<size_t>(cycles * period), period, harmonics, [&](int n, size_t i) {
    const double k = static_cast<double>(i) / period;
    const double open = std::pow(std::max(0.0, 1 - k / 28), 3);
    const double cutoff = 3.5 + 22.5 * open;
    const double r = n / cutoff;
    const double lowpass = 1 / std::sqrt(1 + r * r * r * r * r * r * r * r);
    const double resonance = 0.9 * std::exp(-(n - cutoff) * (n - cutoff) / 2);
    return Saw(n) * (lowpass + resonance * Saw(n) * 2) + (n == 1 ? 0.45 : 0.0);
  });
  Instrument ins;
  ins.name = "Saw bass";
  ins.sample = MakeSample("filtered saw", w, kCycle64, false);
  LoopTail(ins.sample, period);
  ins.volumeEnvelope = Env({{0, 64}, {5, 56}, {20, 46}, {24, 0}}, 2);
  ins.fadeout = 0x800;
  return ins;
}

Instrument Kick() {
  const double rate = kRate16k;
  Wave w(3000);
  Noise noise(0x5eed0009);
  double phase = 0;
  for (size_t i = 0; i < w.size(); ++i) {
    const double t = static_cast<double>(i) / rate;
    const double freq = 46 + 115 * std::exp(-t / 0.03) + 260 * std::exp(-t / 0.004);
    phase += kTwoPi * freq / rate;
    const double body = std::sin(phase) * std::exp(-t / 0.15) * std::min(1.0, t / 0.0015);
    const double click = 0.5 * noise.Next() * std::exp(-t / 0.0012);
    w[i] = std::tanh(1.8 * (body + click));
  }
  for (size_t i = 0; i < 400; ++i) w[w.size() - 1 - i] *= static_cast<double>(i) / 400;
  Instrument ins;
  ins.name = "Kick";
  ins.sample = MakeSample("kick", w, kAt16k, false);
  return ins;
}

Instrument Snare() {
  const double rate = kRate16k;
  Wave w(2600);
  Noise noise(0x5eed000a);
  Highpass highpass(900, rate);
  OnePoleLowpass lowpass(7000, rate);
  double phase1 = 0, phase2 = 0;
  for (size_t i = 0; i < w.size(); ++i) {
    const double t = static_cast<double>(i) / rate;
    phase1 += kTwoPi * (178 + 40 * std::exp(-t / 0.01)) / rate;
    phase2 += kTwoPi * 331 / rate;
    const double tone = 0.55 * std::sin(phase1) * std::exp(-t / 0.045) + 0.25 * std::sin(phase2) * std::exp(-t / 0.025);
    const double hiss = 0.9 * lowpass(highpass(noise.Next())) * (std::exp(-t / 0.055) + 0.15 * std::exp(-t / 0.01));
    w[i] = std::tanh(1.6 * (tone + hiss) * std::min(1.0, t / 0.0008));
  }
  for (size_t i = 0; i < 300; ++i) w[w.size() - 1 - i] *= static_cast<double>(i) / 300;
  Instrument ins;
  ins.name = "Snare";
  ins.sample = MakeSample("snare", w, kAt16k, false, 120);
  return ins;
}

Instrument Clap() {
  const double rate = kRate16k;
  Wave w(2100);
  Noise noise(0x5eed000b);
  Bandpass band(1250, 1.4, rate);
  for (size_t i = 0; i < w.size(); ++i) {
    const double t = static_cast<double>(i) / rate;
    double env = 0;
    for (double start : {0.0, 0.009, 0.018})
      if (t >= start) env = std::max(env, std::exp(-(t - start) / 0.003));
    if (t >= 0.026) env = std::max(env, std::exp(-(t - 0.026) / 0.06));
    w[i] = band(noise.Next()) * env;
  }
  for (size_t i = 0; i < 300; ++i) w[w.size() - 1 - i] *= static_cast<double>(i) / 300;
  Instrument ins;
  ins.name = "Clap";
  ins.sample = MakeSample("clap", w, kAt16k, false, 136);
  return ins;
}

// Metal for hats and cymbals: six square waves at unrelated frequencies and
// noise, high-passed.
Wave Metal(size_t length, double rate, double highpassHz, uint32_t seed, double noiseShare) {
  static const double kFreqs[] = {205.3, 304.4, 369.6, 522.7, 540.0, 800.0};
  Wave w(length);
  Noise noise(seed);
  Highpass highpass(highpassHz, rate);
  double phase[6] = {0, 0.1, 0.27, 0.5, 0.71, 0.9};
  for (size_t i = 0; i < length; ++i) {
    double v = 0;
    for (int k = 0; k < 6; ++k) {
      phase[k] += kFreqs[k] * 1.7 / rate;
      phase[k] -= std::floor(phase[k]);
      v += phase[k] < 0.5 ? 1 : -1;
    }
    w[i] = highpass((1 - noiseShare) * v / 6 + noiseShare * noise.Next());
  }
  return w;
}

Instrument ClosedHat() {
  Wave w = Metal(1600, kRate33k, 7000, 0x5eed000c, 0.55);
  for (size_t i = 0; i < w.size(); ++i) w[i] *= std::exp(-static_cast<double>(i) / kRate33k / 0.016);
  Instrument ins;
  ins.name = "Closed hat";
  ins.sample = MakeSample("closed hat", w, kAt33k, false, 150);
  return ins;
}

Instrument OpenHat() {
  Wave w = Metal(2600, kRate33k, 6500, 0x5eed000d, 0.5);
  for (size_t i = 0; i < w.size(); ++i) {
    const double t = static_cast<double>(i) / kRate33k;
    w[i] *= std::exp(-t / 0.04) * (1 - static_cast<double>(i) / w.size());
  }
  Instrument ins;
  ins.name = "Open hat";
  ins.sample = MakeSample("open hat", w, kAt33k, false, 150);
  return ins;
}

Instrument Crash() {
  // A bright burst that settles into a steady wash; the wash loops and the
  // volume envelope lets it ring out.
  const size_t attack = 1000, wash = 2000;
  Wave w = Metal(attack + wash, kRate25k, 3500, 0x5eed000e, 0.75);
  for (size_t i = 0; i < attack; ++i) w[i] *= 0.6 + 0.4 * (1 - static_cast<double>(i) / attack);
  for (size_t i = 0; i < wash; ++i) w[attack + i] *= 0.6;
  Instrument ins;
  ins.name = "Crash";
  ins.sample = MakeSample("crash", w, kAt25k, false, 96);
  LoopTail(ins.sample, wash);
  ins.volumeEnvelope = Env({{0, 64}, {8, 46}, {30, 28}, {70, 15}, {130, 6}, {200, 0}});
  ins.fadeout = 0x100;
  return ins;
}

Instrument Tom() {
  const double rate = kRate8k;
  Wave w(2100);
  Noise noise(0x5eed000f);
  double phase = 0;
  for (size_t i = 0; i < w.size(); ++i) {
    const double t = static_cast<double>(i) / rate;
    phase += kTwoPi * (130 + 70 * std::exp(-t / 0.04)) / rate;
    w[i] = std::tanh(1.4 * (std::sin(phase) * std::exp(-t / 0.13) + 0.3 * noise.Next() * std::exp(-t / 0.004)));
  }
  for (size_t i = 0; i < 300; ++i) w[w.size() - 1 - i] *= static_cast<double>(i) / 300;
  Instrument ins;
  ins.name = "Tom";
  ins.sample = MakeSample("tom", w, kAt8k, false);
  return ins;
}

Instrument NoiseSweep() {
  Wave w(1536);
  Noise noise(0x5eed0010);
  OnePoleLowpass lowpass(5000, kRate16k);
  for (double& v : w) v = lowpass(noise.Next());
  Instrument ins;
  ins.name = "Noise";
  ins.sample = MakeSample("noise", w, kAt16k, false);
  LoopTail(ins.sample, w.size());
  ins.volumeEnvelope = Env({{0, 64}, {12, 0}}, 0);
  ins.fadeout = 0x400;
  return ins;
}

Instrument Stab() {
  // Root, fifth and octave saws; over two root cycles (64 frames) they make
  // 2, 3 and 4 cycles, so the wave is periodic in 64 frames. The tone darkens
  // over 16 of those and then loops.
  const int periods = 20, period = 64, harmonics = 31;
  Wave w = Additive(static_cast<size_t>(periods * period), period, harmonics, [&](int n, size_t i) {
    const double k = static_cast<double>(i) / period;
    const double cutoff = 6 + 22 * std::pow(std::max(0.0, 1 - k / 16), 2);
    const double lowpass = 1 / (1 + std::pow(n / cutoff, 4));
    double a = 0;
    for (int base : {2, 3, 4})
      if (n % base == 0) a += (base == 2 ? 1.0 : 0.7) * Saw(n / base);
    return a * lowpass;
  });
  Instrument ins;
  ins.name = "Power stab";
  ins.sample = MakeSample("stab", w, kCycle32, false);
  LoopTail(ins.sample, period);
  ins.volumeEnvelope = Env({{0, 64}, {6, 50}, {20, 32}, {50, 14}, {90, 0}});
  ins.fadeout = 0x400;
  return ins;
}

}  // namespace

std::vector<Instrument> MakeInstruments() {
  std::vector<Instrument> all = {PulseLead(), Flute(), Bell(),      Chip(),    SawPad(),  VoxPad(),
                                 SubBass(),   SawBass(), Kick(),    Snare(),   Clap(),    ClosedHat(),
                                 OpenHat(),   Crash(),   Tom(),     NoiseSweep(), Stab()};
  return all;
}

}  // namespace tune
