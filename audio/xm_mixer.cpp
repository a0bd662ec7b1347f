// The voices: a channel's period, gain and panning turned into a sample step
// and left and right gains once per tick, and the sample data mixed into
// the output with linear interpolation and 128-frame gain ramps.
#include <algorithm>
#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// At constant gains, the same arithmetic four frames at a time where SSE2 is
// there (every x86-64), giving the same floats. The frames' sample indices
// come from the 64-bit position; their fractions are its low 32 bits, which
// advance by the step's low 32 bits modulo 2^32, so the vector keeps them
// itself. A fraction's float is made from its two 16-bit halves (both exact)
// with one rounding, as the conversion of the whole 32 bits rounds once.
uint64_t MixFramesConstant(const int16_t* data, uint64_t position, uint64_t step, float* out, int frames,
                           float left, float right) {
  int i = 0;
#if defined(__SSE2__)
  if (frames >= 4) {
    const __m128 leftGain = _mm_set1_ps(left), rightGain = _mm_set1_ps(right);
    const __m128 halfScale = _mm_set1_ps(65536.0f), fractionScale = _mm_set1_ps(kFractionScale);
    const __m128i lowHalf = _mm_set1_epi32(0xFFFF);
    const __m128i fractionStep = _mm_set1_epi32(int32_t(uint32_t(4 * step)));
    __m128i fractions = _mm_setr_epi32(int32_t(uint32_t(position)), int32_t(uint32_t(position + step)),
                                       int32_t(uint32_t(position + 2 * step)),
                                       int32_t(uint32_t(position + 3 * step)));
    for (; i + 4 <= frames; i += 4) {
      // Each frame's two neighbouring samples as one 32-bit word: p[0] low, p[1] high.
      int32_t pairs[4];
      for (int k = 0; k < 4; ++k) {
        std::memcpy(&pairs[k], data + (position >> 32), sizeof(int32_t));
        position += step;
      }
      const __m128i words = _mm_setr_epi32(pairs[0], pairs[1], pairs[2], pairs[3]);
      const __m128 a = _mm_cvtepi32_ps(_mm_srai_epi32(_mm_slli_epi32(words, 16), 16));
      const __m128 b = _mm_cvtepi32_ps(_mm_srai_epi32(words, 16));
      const __m128 whole = _mm_add_ps(_mm_mul_ps(_mm_cvtepi32_ps(_mm_srli_epi32(fractions, 16)), halfScale),
                                      _mm_cvtepi32_ps(_mm_and_si128(fractions, lowHalf)));
      const __m128 fraction = _mm_mul_ps(whole, fractionScale);
      const __m128 value = _mm_add_ps(a, _mm_mul_ps(_mm_sub_ps(b, a), fraction));
      const __m128 l = _mm_mul_ps(value, leftGain), r = _mm_mul_ps(value, rightGain);
      float* o = out + 2 * i;
      _mm_storeu_ps(o, _mm_add_ps(_mm_loadu_ps(o), _mm_unpacklo_ps(l, r)));
      _mm_storeu_ps(o + 4, _mm_add_ps(_mm_loadu_ps(o + 4), _mm_unpackhi_ps(l, r)));
      fractions = _mm_add_epi32(fractions, fractionStep);
    }
  }
#endif
  return MixFrames<false>(data, position, step, out + 2 * i, frames - i, left, right, 0, 0);
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
        v.position = MixFramesConstant(s.data.data(), v.position, v.step, out + 2 * done, n,
                                       v.left * kUnit, v.right * kUnit);
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
