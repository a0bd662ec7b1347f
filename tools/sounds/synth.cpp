#include "tools/sounds/synth.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace sfx {

namespace {

constexpr double kPi = std::numbers::pi;

// Harmonics fade out between these fractions of the sample rate, before
// they reach the Nyquist frequency (half the rate).
constexpr double kHarmonicFadeStart = 0.38;
constexpr double kHarmonicFadeEnd = 0.46;

double HarmonicWeight(double hz, int rate) {
  const double x = hz / rate;
  if (x <= kHarmonicFadeStart) return 1.0;
  if (x >= kHarmonicFadeEnd) return 0.0;
  const double u = (x - kHarmonicFadeStart) / (kHarmonicFadeEnd - kHarmonicFadeStart);
  return 0.5 + 0.5 * std::cos(kPi * u);
}

// One sample of the wave at phase theta (radians) and fundamental hz, summed
// from its harmonics; sin(k·theta) comes from the Chebyshev recurrence.
double HarmonicSample(Wave wave, double theta, double hz, int rate) {
  if (hz <= 0.0) return 0.0;
  const double s1 = std::sin(theta);
  if (wave == Wave::Sine) return s1 * HarmonicWeight(hz, rate);

  const double twoCos = 2.0 * std::cos(theta);
  const int count = int(kHarmonicFadeEnd * rate / hz);
  double previous = 0.0;  // sin((k-1)·theta)
  double current = s1;    // sin(k·theta)
  double sum = 0.0;
  for (int k = 1; k <= count; ++k) {
    const double weight = HarmonicWeight(k * hz, rate);
    switch (wave) {
      case Wave::Saw:
        sum += weight * current / k;
        break;
      case Wave::Square:
        if (k % 2 == 1) sum += weight * current / k;
        break;
      case Wave::Triangle:
        if (k % 2 == 1) sum += weight * current * ((k / 2) % 2 == 0 ? 1.0 : -1.0) / (double(k) * k);
        break;
      case Wave::Sine:
        break;
    }
    const double next = twoCos * current - previous;
    previous = current;
    current = next;
  }
  switch (wave) {
    case Wave::Saw: return sum * (2.0 / kPi);
    case Wave::Square: return sum * (4.0 / kPi);
    case Wave::Triangle: return sum * (8.0 / (kPi * kPi));
    case Wave::Sine: break;
  }
  return 0.0;
}

}  // namespace

//-----------------------------------------------------------------------------
// Curves
//-----------------------------------------------------------------------------

Curve Constant(double value) {
  return [value](double) { return value; };
}

Curve Glide(double from, double to, double seconds) {
  return [=](double t) {
    if (t <= 0.0) return from;
    if (t >= seconds) return to;
    return from * std::pow(to / from, t / seconds);
  };
}

Curve Segments(std::initializer_list<std::pair<double, double>> points) {
  std::vector<std::pair<double, double>> p(points);
  return [p](double t) {
    if (t <= p.front().first) return p.front().second;
    for (size_t i = 1; i < p.size(); ++i) {
      if (t < p[i].first) {
        const double u = (t - p[i - 1].first) / (p[i].first - p[i - 1].first);
        return p[i - 1].second + u * (p[i].second - p[i - 1].second);
      }
    }
    return p.back().second;
  };
}

Curve Strike(double attack, double decay) {
  return [=](double t) {
    if (t < 0.0) return 0.0;
    if (t < attack) return t / attack;
    return std::exp(-(t - attack) / decay);
  };
}

Curve Held(double attack, double length, double release) {
  return [=](double t) {
    if (t < 0.0) return 0.0;
    if (t < attack) return t / attack;
    if (t < length) return 1.0;
    if (t < length + release) return 1.0 - (t - length) / release;
    return 0.0;
  };
}

Curve Delayed(Curve curve, double seconds) {
  return [curve = std::move(curve), seconds](double t) { return t < seconds ? 0.0 : curve(t - seconds); };
}

Curve Vibrato(Curve pitch, double rate, double depth) {
  return [pitch = std::move(pitch), rate, depth](double t) {
    return pitch(t) * std::pow(2.0, depth * std::sin(2.0 * kPi * rate * t) / 12.0);
  };
}

Curve Times(Curve a, Curve b) {
  return [a = std::move(a), b = std::move(b)](double t) { return a(t) * b(t); };
}

double NoteHz(double note) { return 440.0 * std::pow(2.0, (note - 69.0) / 12.0); }

//-----------------------------------------------------------------------------
// Sources
//-----------------------------------------------------------------------------

Signal Oscillator(Wave wave, const Curve& hz, int frames, int rate, double phase) {
  Signal out(static_cast<size_t>(frames));
  for (int i = 0; i < frames; ++i) {
    const double f = hz(double(i) / rate);
    out[i] = HarmonicSample(wave, 2.0 * kPi * phase, f, rate);
    phase += f / rate;
    phase -= std::floor(phase);
  }
  return out;
}

Signal Pulse(double duty, const Curve& hz, int frames, int rate) {
  Signal a = Oscillator(Wave::Saw, hz, frames, rate, 0.0);
  const Signal b = Oscillator(Wave::Saw, hz, frames, rate, duty);
  for (int i = 0; i < frames; ++i) a[i] = 0.5 * (a[i] - b[i]);
  return a;
}

uint64_t Noise::Next() {
  state_ ^= state_ >> 12;
  state_ ^= state_ << 25;
  state_ ^= state_ >> 27;
  return state_ * 0x2545F4914F6CDD1Dull;
}

double Noise::Uniform() { return double(Next() >> 11) * (1.0 / 9007199254740992.0); }

double Noise::Between(double lo, double hi) { return lo + (hi - lo) * Uniform(); }

Signal Noise::White(int frames) {
  Signal out(static_cast<size_t>(frames));
  for (double& v : out) v = 2.0 * Uniform() - 1.0;
  return out;
}

Signal Crackle(Noise& noise, double perSecond, int frames, int rate) {
  Signal out(size_t(frames), 0.0);
  const double chance = perSecond / rate;
  for (double& v : out) {
    if (noise.Uniform() < chance) v = noise.Between(-1.0, 1.0);
  }
  return out;
}

//-----------------------------------------------------------------------------
// Shaping
//-----------------------------------------------------------------------------

Signal Shape(Signal signal, const Curve& level, int rate) {
  for (size_t i = 0; i < signal.size(); ++i) signal[i] *= level(double(i) / rate);
  return signal;
}

Signal Saturate(Signal signal, double drive) {
  for (double& v : signal) v = std::tanh(drive * v) / drive;
  return signal;
}

Signal Filter(const Signal& signal, Pass pass, const Curve& cutoffHz, double q, int rate) {
  Signal out(signal.size());
  const double k = 1.0 / q;
  double ic1 = 0.0, ic2 = 0.0;
  for (size_t i = 0; i < signal.size(); ++i) {
    const double fc = std::clamp(cutoffHz(double(i) / rate), 10.0, 0.45 * rate);
    const double g = std::tan(kPi * fc / rate);
    const double a1 = 1.0 / (1.0 + g * (g + k));
    const double a2 = g * a1;
    const double a3 = g * a2;
    const double v3 = signal[i] - ic2;
    const double v1 = a1 * ic1 + a2 * v3;
    const double v2 = ic2 + a2 * ic1 + a3 * v3;
    ic1 = 2.0 * v1 - ic1;
    ic2 = 2.0 * v2 - ic2;
    switch (pass) {
      case Pass::Low: out[i] = v2; break;
      case Pass::Band: out[i] = v1; break;
      case Pass::High: out[i] = signal[i] - k * v1 - v2; break;
    }
  }
  return out;
}

void MixInto(Signal& into, const Signal& source, double gain, int offset) {
  for (size_t i = 0; i < source.size(); ++i) {
    const long long at = (long long)i + offset;
    if (at < 0) continue;
    if (at >= (long long)into.size()) break;
    into[size_t(at)] += gain * source[i];
  }
}

//-----------------------------------------------------------------------------
// Stereo
//-----------------------------------------------------------------------------

void Place(Clip& clip, const Signal& source, double gain, double pan, double atSeconds) {
  const int offset = int(std::lround(atSeconds * clip.rate));
  if (clip.channels.size() == 1) {
    MixInto(clip.channels[0], source, gain, offset);
    return;
  }
  // Constant power, scaled so that the centre keeps full level on both sides.
  const double angle = (std::clamp(pan, -1.0, 1.0) + 1.0) * kPi / 4.0;
  MixInto(clip.channels[0], source, gain * std::sqrt(2.0) * std::cos(angle), offset);
  MixInto(clip.channels[1], source, gain * std::sqrt(2.0) * std::sin(angle), offset);
}

void Echo(Clip& clip, double delay, double feedback, double wet) {
  const int d = std::max(1, int(std::lround(delay * clip.rate)));
  const int frames = clip.Frames();
  if (clip.channels.size() == 1) {
    Signal& s = clip.channels[0];
    Signal echo(size_t(frames), 0.0);
    for (int i = d; i < frames; ++i) echo[i] = s[i - d] + feedback * echo[i - d];
    MixInto(s, echo, wet);
    return;
  }
  Signal& left = clip.channels[0];
  Signal& right = clip.channels[1];
  Signal echoLeft(size_t(frames), 0.0), echoRight(size_t(frames), 0.0);
  for (int i = d; i < frames; ++i) {
    echoLeft[i] = 0.5 * (left[i - d] + right[i - d]) + feedback * echoRight[i - d];
    echoRight[i] = feedback * echoLeft[i - d];
  }
  MixInto(left, echoLeft, wet);
  MixInto(right, echoRight, wet);
}

//-----------------------------------------------------------------------------
// Finishing
//-----------------------------------------------------------------------------

Loudness Measure(const Clip& clip) {
  const int frames = clip.Frames();
  double peak = 0.0, sum = 0.0;
  // Loudness per frame: the mean square over the channels after a gentle
  // high-pass, so that a deep rumble does not count as loud as it measures.
  Signal power(size_t(frames), 0.0);
  for (const Signal& channel : clip.channels) {
    const Signal weighted = Filter(channel, Pass::High, Constant(150.0), 0.5, clip.rate);
    for (int i = 0; i < frames; ++i) {
      peak = std::max(peak, std::abs(channel[i]));
      sum += channel[i] * channel[i];
      power[i] += weighted[i] * weighted[i] / double(clip.channels.size());
    }
  }
  const int window = std::min(frames, clip.rate / 20);
  double windowSum = 0.0, loudest = 0.0;
  for (int i = 0; i < frames; ++i) {
    windowSum += power[i];
    if (i >= window) windowSum -= power[i - window];
    if (i >= window - 1) loudest = std::max(loudest, windowSum / window);
  }
  auto db = [](double power2) { return power2 > 0.0 ? 10.0 * std::log10(power2) : -200.0; };
  const double samples = double(frames) * double(clip.channels.size());
  return {db(peak * peak), db(sum / samples), db(loudest)};
}

void Finish(Clip& clip, double loudDb, double peakDb) {
  const int frames = clip.Frames();
  const int end = frames - clip.silentFrames;
  const int fadeIn = clip.rate / 1000;
  const int fadeOut = std::max(1, std::min(clip.rate * 15 / 1000, end / 4));
  for (Signal& channel : clip.channels) {
    channel = Filter(channel, Pass::High, Constant(20.0), 0.707, clip.rate);
    for (int i = 0; i < fadeIn; ++i) channel[i] *= std::pow(std::sin(0.5 * kPi * i / fadeIn), 2.0);
    for (int i = std::max(0, end - fadeOut); i < frames; ++i) {
      const double left = double(end - i) / fadeOut;
      channel[i] *= left <= 0.0 ? 0.0 : std::pow(std::sin(0.5 * kPi * left), 2.0);
    }
  }
  const Loudness now = Measure(clip);
  double gainDb = loudDb - now.loudDb;
  gainDb = std::min(gainDb, peakDb - now.peakDb);
  const double gain = std::pow(10.0, gainDb / 20.0);
  for (Signal& channel : clip.channels) {
    for (double& v : channel) v *= gain;
  }
}

}  // namespace sfx
