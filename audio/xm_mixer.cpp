// The voices: a channel's period, gain and panning turned into a sample step
// and left and right gains once per tick, and the sample data mixed into
// the output with linear interpolation and 128-frame gain ramps.
#include <algorithm>
#include <cmath>

#include "audio/xm_player.h"

namespace xm {

namespace {

constexpr int32_t kMinFrequency = 100;
constexpr float kFractionScale = 1.0f / 4294967296.0f;

uint64_t StepFor(int32_t frequency) {
  const uint64_t whole = uint64_t(frequency / kOutputRate);
  const uint64_t rest = uint64_t(frequency % kOutputRate);
  return (whole << 32) + (rest << 32) / kOutputRate;
}

// Mixes frames of one voice at constant or ramping gains; returns the
// position after them. The caller guarantees that every frame read lies
// before the sample's play end (plus the guard frame).
template <bool kRamp>
uint64_t MixFrames(const int16_t* data, uint64_t position, uint64_t step, float* out, int frames,
                   float left, float right, float leftStep, float rightStep) {
  for (int i = 0; i < frames; ++i) {
    const int16_t* p = data + (position >> 32);
    const float fraction = float(uint32_t(position)) * kFractionScale;
    const float a = p[0];
    const float value = a + (float(p[1]) - a) * fraction;
    out[2 * i] += value * left;
    out[2 * i + 1] += value * right;
    if constexpr (kRamp) {
      left += leftStep;
      right += rightStep;
    }
    position += step;
  }
  return position;
}

}  // namespace

void Player::UpdateVoice(Channel& ch) {
  Voice& v = ch.voice;
  if (ch.trigger) {
    ch.trigger = false;
    // The sound being replaced fades out instead of stopping with a click,
    // and the new one comes in from silence, both over the ramp's length.
    if (v.playing && (v.left > 0 || v.right > 0)) {
      ch.fading = v;
      ch.fading.leftGain = ch.fading.rightGain = 0;
      ch.fading.leftStep = -v.left / kRampFrames;
      ch.fading.rightStep = -v.right / kRampFrames;
      ch.fading.rampLeft = kRampFrames;
    }
    v.sample = ch.sample;
    v.position = uint64_t(ch.startFrame) << 32;
    v.playing = ch.sample != nullptr && ch.startFrame < uint32_t(ch.sample->length);
    v.left = v.right = 0;
    v.leftGain = v.rightGain = -1;  // forces a ramp from silence
  }

  // A period of 0 (or one pushed below it) leaves the frequency as it was.
  if (ch.finalPeriod > 0) {
    int64_t frequency;
    if (module_.linearFrequencies) {
      frequency = std::llround(8363.0 * std::exp2((4608.0 - ch.finalPeriod) / 768.0));
    } else {
      frequency = 14317056 / ch.finalPeriod;
    }
    ch.frequency = int32_t(std::clamp<int64_t>(frequency, kMinFrequency, INT32_MAX));
  }
  ch.frequency = std::max(ch.frequency, kMinFrequency);
  v.step = StepFor(ch.frequency);

  const int32_t right = ch.gain * ch.finalPanning / 255;
  const int32_t left = ch.gain * (255 - ch.finalPanning) / 255;
  if (left != v.leftGain || right != v.rightGain) {
    v.leftGain = left;
    v.rightGain = right;
    v.leftStep = (float(left) - v.left) / kRampFrames;
    v.rightStep = (float(right) - v.right) / kRampFrames;
    v.rampLeft = kRampFrames;
  }
}

void Player::MixVoice(Voice& v, float* out, int frames) {
  constexpr float kUnit = 1.0f / 255.0f;
  int done = 0;
  while (done < frames) {
    const bool ramping = v.rampLeft > 0;
    int n = frames - done;
    if (ramping) n = std::min(n, v.rampLeft);

    if (v.playing) {
      const Sample& s = *v.sample;
      const uint64_t end = uint64_t(s.playEnd) << 32;
      if (v.position >= end) {
        // Past the end of the loop (a sample offset can start there).
        if (s.loop == LoopType::None) {
          v.playing = false;
          continue;
        }
        const uint64_t loopStart = uint64_t(s.loopStart) << 32;
        v.position = loopStart + (v.position - end) % (end - loopStart);
      }
      const uint64_t untilEnd = (end - v.position + v.step - 1) / v.step;
      n = int(std::min<uint64_t>(uint64_t(n), untilEnd));
      if (ramping) {
        v.position = MixFrames<true>(s.data.data(), v.position, v.step, out + 2 * done, n, v.left * kUnit,
                                     v.right * kUnit, v.leftStep * kUnit, v.rightStep * kUnit);
      } else if (v.leftGain != 0 || v.rightGain != 0) {
        v.position = MixFrames<false>(s.data.data(), v.position, v.step, out + 2 * done, n,
                                      v.left * kUnit, v.right * kUnit, 0, 0);
      } else {
        v.position += v.step * uint64_t(n);
      }
      if (v.position >= end) {
        if (s.loop == LoopType::None) {
          v.playing = false;
        } else {
          const uint64_t loopStart = uint64_t(s.loopStart) << 32;
          v.position = loopStart + (v.position - end) % (end - loopStart);
        }
      }
    }

    if (ramping) {
      v.rampLeft -= n;
      if (v.rampLeft == 0) {
        v.left = float(v.leftGain);
        v.right = float(v.rightGain);
      } else {
        v.left += v.leftStep * float(n);
        v.right += v.rightStep * float(n);
      }
    }
    done += n;
  }
}

}  // namespace xm
