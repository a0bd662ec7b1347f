// The recipes of the sound effects, one function each. Every recipe draws
// into a silent clip of its format; the generator then finishes it (edges,
// DC, loudness) and encodes it. Times are in seconds, pitches in Hz or as
// MIDI note numbers.
#include "tools/sounds/effects.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace sfx {

namespace {

//-----------------------------------------------------------------------------
// Shared pieces
//-----------------------------------------------------------------------------

// An oscillator shaped by an envelope.
Signal Tone(Wave wave, const Curve& hz, const Curve& level, int frames, int rate) {
  return Shape(Oscillator(wave, hz, frames, rate), level, rate);
}

// Filtered noise shaped by an envelope.
Signal Hiss(Noise& noise, Pass pass, const Curve& cutoffHz, double q, const Curve& level, int frames,
            int rate) {
  return Shape(Filter(noise.White(frames), pass, cutoffHz, q, rate), level, rate);
}

// Adds a clip of the same format at a time and balance (-1 left .. +1 right).
void MixClip(Clip& into, const Clip& part, double gain, double balance, double atSeconds) {
  const int offset = int(std::lround(atSeconds * into.rate));
  if (into.channels.size() == 1) {
    MixInto(into.channels[0], part.channels[0], gain, offset);
    return;
  }
  MixInto(into.channels[0], part.channels[0], gain * std::min(1.0, 1.0 - balance), offset);
  MixInto(into.channels[1], part.channels[1], gain * std::min(1.0, 1.0 + balance), offset);
}

// An explosion: noise whose low-pass closes as it fades, a falling sine
// thump beneath it and a crackle of debris. Each side has its own share of
// noise, so a stereo blast is wide.
struct Blast {
  uint64_t seed;
  double brightHz, darkHz, closeSeconds;  // the noise's low-pass, open to closed
  double decay;                           // the noise's fade, seconds per e
  double thumpFromHz, thumpToHz, thumpDecay, thumpLevel;
  double cracklesPerSecond, crackleLevel;
  double width;  // 0: the same noise on both sides .. 1: independent
};

Clip MakeBlast(const Blast& b, int channels, double seconds, int rate) {
  const int frames = int(seconds * rate);
  Noise noise(b.seed);
  const Signal common = noise.White(frames);
  const Signal thump =
      Tone(Wave::Sine, Glide(b.thumpFromHz, b.thumpToHz, 0.2), Strike(0.002, b.thumpDecay), frames, rate);
  Clip blast{rate, {}};
  for (int c = 0; c < channels; ++c) {
    Signal source = noise.White(frames);
    for (int i = 0; i < frames; ++i) source[i] = (1.0 - b.width) * common[i] + b.width * source[i];
    Signal body = Shape(Filter(source, Pass::Low, Glide(b.brightHz, b.darkHz, b.closeSeconds), 0.8, rate),
                        Strike(0.002, b.decay), rate);
    const Signal crackle =
        Shape(Filter(Crackle(noise, b.cracklesPerSecond, frames, rate), Pass::Band, Constant(2600.0), 1.0, rate),
              Strike(0.001, 1.6 * b.decay), rate);
    MixInto(body, thump, b.thumpLevel);
    MixInto(body, crackle, b.crackleLevel);
    blast.channels.push_back(Saturate(body, 3.0));
  }
  return blast;
}

// A synthesiser voice for the jingles.
struct Voice {
  Wave wave = Wave::Square;
  double duty = 0.0;        // > 0: a pulse wave of this duty instead of `wave`
  double brightness = 6.0;  // low-pass cutoff as a multiple of the note's pitch
  double attack = 0.005;
  double release = 0.1;
  double decay = 0.0;    // while held the level falls by e every `decay` seconds (0: steady)
  double vibrato = 0.0;  // semitones, fading in over the first 0.2 s
  double detune = 0.0;   // > 0: two copies this many semitones apart, spread left and right
};

Signal VoiceSignal(const Voice& v, double hz, double length, int rate) {
  const int frames = int((length + v.release + 0.01) * rate);
  const double depth = v.vibrato;
  const Curve pitch = [hz, depth](double t) {
    const double amount = depth * std::min(1.0, t / 0.2);
    return hz * std::pow(2.0, amount * std::sin(2.0 * std::numbers::pi * 5.5 * t) / 12.0);
  };
  Signal s = v.duty > 0.0 ? Pulse(v.duty, pitch, frames, rate) : Oscillator(v.wave, pitch, frames, rate);
  s = Filter(s, Pass::Low, Constant(hz * v.brightness), 0.707, rate);
  Curve level = Held(v.attack, length, v.release);
  if (v.decay > 0.0) level = Times(level, Strike(0.0, v.decay));
  return Shape(std::move(s), level, rate);
}

void Note(Clip& clip, const Voice& v, double note, double start, double length, double gain, double pan) {
  const double hz = NoteHz(note);
  if (v.detune > 0.0 && clip.channels.size() == 2) {
    const double spread = std::pow(2.0, v.detune / 24.0);
    Place(clip, VoiceSignal(v, hz / spread, length, clip.rate), gain, pan - 0.6, start);
    Place(clip, VoiceSignal(v, hz * spread, length, clip.rate), gain, pan + 0.6, start);
    return;
  }
  Place(clip, VoiceSignal(v, hz, length, clip.rate), gain, pan, start);
}

//-----------------------------------------------------------------------------
// The effects
//-----------------------------------------------------------------------------

// Menu click, also a carrier taking a hit: a short bright tick with a falling
// body, over in 20 ms.
void MenuClick(Clip& clip) {
  const int n = clip.Frames(), r = clip.rate;
  Noise noise(101);
  Place(clip, Tone(Wave::Sine, Glide(2300.0, 1500.0, 0.02), Strike(0.0004, 0.0042), n, r), 1.0, 0.0);
  Place(clip, Tone(Wave::Sine, Glide(5600.0, 4100.0, 0.02), Strike(0.0003, 0.0022), n, r), 0.35, 0.0);
  Place(clip, Hiss(noise, Pass::Band, Constant(6500.0), 1.5, Strike(0.0002, 0.0012), n, r), 0.6, 0.0);
}

// An enemy shot: a short falling "pew", darker than the player's laser.
void EnemyFire(Clip& clip) {
  const int n = clip.Frames(), r = clip.rate;
  Noise noise(201);
  Signal zap = Pulse(0.3, Glide(1250.0, 230.0, 0.085), n, r);
  zap = Filter(zap, Pass::Low, Glide(5000.0, 1100.0, 0.09), 1.2, r);
  Place(clip, Shape(std::move(zap), Times(Strike(0.002, 0.04), Held(0.0, 0.065, 0.02)), r), 1.0, 0.0);
  Place(clip, Hiss(noise, Pass::Band, Constant(2800.0), 1.0, Strike(0.001, 0.008), n, r), 0.35, 0.0);
}

// The player's laser at 8000 Hz: a bright, thin zap that falls quickly and
// stays out of the way when fired in long volleys.
void PlayerLaser(Clip& clip) {
  const int n = clip.Frames(), r = clip.rate;
  Signal zap = Oscillator(Wave::Saw, Glide(2500.0, 360.0, 0.17), n, r);
  MixInto(zap, Oscillator(Wave::Square, Glide(2500.0 * 1.02, 360.0 * 1.02, 0.17), n, r), 0.5);
  zap = Filter(zap, Pass::Low, Glide(3400.0, 1300.0, 0.2), 1.0, r);
  Place(clip, Shape(std::move(zap), Times(Strike(0.0015, 0.05), Held(0.0, 0.19, 0.05)), r), 1.0, 0.0);
}

// Explosions, two variants taken in turn.
void ExplosionA(Clip& clip) {
  const Blast b{.seed = 301,
                .brightHz = 4200.0, .darkHz = 220.0, .closeSeconds = 0.28, .decay = 0.085,
                .thumpFromHz = 120.0, .thumpToHz = 42.0, .thumpDecay = 0.07, .thumpLevel = 0.9,
                .cracklesPerSecond = 180.0, .crackleLevel = 0.5, .width = 0.5};
  MixClip(clip, MakeBlast(b, int(clip.channels.size()), clip.Seconds(), clip.rate), 1.0, 0.0, 0.0);
}

void ExplosionB(Clip& clip) {
  const Blast b{.seed = 401,
                .brightHz = 3300.0, .darkHz = 180.0, .closeSeconds = 0.30, .decay = 0.095,
                .thumpFromHz = 100.0, .thumpToHz = 38.0, .thumpDecay = 0.08, .thumpLevel = 0.9,
                .cracklesPerSecond = 140.0, .crackleLevel = 0.5, .width = 0.6};
  MixClip(clip, MakeBlast(b, int(clip.channels.size()), clip.Seconds(), clip.rate), 1.0, 0.0, 0.0);
}

// A pod bursting into swarmers or debris: a wet pop, a puff of air and a
// scatter of small fragments flying off.
void PodBurst(Clip& clip) {
  const int n = clip.Frames(), r = clip.rate;
  Noise noise(501);
  Place(clip, Tone(Wave::Sine, Glide(700.0, 110.0, 0.05), Strike(0.001, 0.03), n, r), 0.9, 0.0);
  Place(clip, Hiss(noise, Pass::Band, Glide(3200.0, 700.0, 0.15), 1.2, Strike(0.001, 0.05), n, r), 0.8, 0.0);
  const int blipFrames = int(0.1 * r);
  for (int k = 0; k < 10; ++k) {
    const double at = 0.01 + 0.26 * std::pow(noise.Uniform(), 1.6);
    const double hz = noise.Between(1400.0, 3600.0);
    const Signal blip = Tone(Wave::Triangle, Glide(hz, 0.7 * hz, 0.03), Strike(0.0005, 0.012), blipFrames, r);
    Place(clip, blip, 0.45 * (1.0 - at / 0.35), 0.0, at);
  }
}

// A ring of bullets released: a rising, shimmering chord that spreads across
// the stereo field, over a whoosh of air.
void RingBurst(Clip& clip) {
  const int n = clip.Frames(), r = clip.rate;
  Noise noise(601);
  const double ratios[] = {1.0, 1.5, 2.0, 2.52, 3.0, 3.56};
  for (int k = 0; k < 6; ++k) {
    const Curve pitch = Vibrato(Glide(330.0 * ratios[k], 660.0 * ratios[k], 0.25), 18.0, 0.15);
    const Curve level = Delayed(Strike(0.004, 0.12), 0.012 * k);
    const double pan = (k % 2 == 0 ? -1.0 : 1.0) * (0.2 + 0.12 * k);
    Place(clip, Tone(Wave::Sine, pitch, level, n, r), 0.5 / (1.0 + 0.3 * k), pan);
  }
  for (double pan : {-0.7, 0.7}) {
    Place(clip, Hiss(noise, Pass::Band, Glide(800.0, 5000.0, 0.3), 2.0, Strike(0.01, 0.1), n, r), 0.35, pan);
  }
}

// A carrier destroyed: a deep main blast, two smaller ones to either side as
// it breaks apart, and the groan of its hull.
void CarrierDestroyed(Clip& clip) {
  const int channels = int(clip.channels.size()), n = clip.Frames(), r = clip.rate;
  const double seconds = clip.Seconds();
  const Blast main{.seed = 701,
                   .brightHz = 5000.0, .darkHz = 140.0, .closeSeconds = 0.7, .decay = 0.22,
                   .thumpFromHz = 80.0, .thumpToHz = 30.0, .thumpDecay = 0.25, .thumpLevel = 1.0,
                   .cracklesPerSecond = 250.0, .crackleLevel = 0.6, .width = 0.7};
  const Blast left{.seed = 702,
                   .brightHz = 6000.0, .darkHz = 400.0, .closeSeconds = 0.2, .decay = 0.07,
                   .thumpFromHz = 160.0, .thumpToHz = 60.0, .thumpDecay = 0.05, .thumpLevel = 0.6,
                   .cracklesPerSecond = 200.0, .crackleLevel = 0.5, .width = 0.5};
  const Blast right{.seed = 703,
                    .brightHz = 5500.0, .darkHz = 350.0, .closeSeconds = 0.2, .decay = 0.08,
                    .thumpFromHz = 150.0, .thumpToHz = 55.0, .thumpDecay = 0.05, .thumpLevel = 0.6,
                    .cracklesPerSecond = 200.0, .crackleLevel = 0.5, .width = 0.5};
  MixClip(clip, MakeBlast(main, channels, seconds, r), 1.0, 0.0, 0.0);
  MixClip(clip, MakeBlast(left, channels, seconds, r), 0.55, -0.5, 0.16);
  MixClip(clip, MakeBlast(right, channels, seconds, r), 0.45, 0.5, 0.33);
  Signal groan = Oscillator(Wave::Saw, Glide(180.0, 60.0, 0.7), n, r);
  groan = Filter(groan, Pass::Low, Constant(900.0), 0.9, r);
  Place(clip, Shape(std::move(groan), Strike(0.02, 0.22), r), 0.25, 0.0);
  // The blasts pile up: squeeze them together so that the whole stays loud.
  for (Signal& side : clip.channels) side = Saturate(std::move(side), 1.5);
}

// The player's ship destroyed: a blast and a long falling, wavering tone
// that echoes away.
void ShipDestroyed(Clip& clip) {
  const int n = clip.Frames(), r = clip.rate;
  const Blast blast{.seed = 801,
                    .brightHz = 4500.0, .darkHz = 200.0, .closeSeconds = 0.5, .decay = 0.16,
                    .thumpFromHz = 100.0, .thumpToHz = 35.0, .thumpDecay = 0.15, .thumpLevel = 0.9,
                    .cracklesPerSecond = 200.0, .crackleLevel = 0.5, .width = 0.6};
  MixClip(clip, MakeBlast(blast, int(clip.channels.size()), clip.Seconds(), r), 0.8, 0.0, 0.0);
  Signal fall = Pulse(0.35, Vibrato(Glide(880.0, 70.0, 0.8), 7.0, 0.6), n, r);
  fall = Filter(fall, Pass::Low, Glide(4000.0, 500.0, 0.8), 1.5, r);
  Place(clip, Shape(std::move(fall), Held(0.01, 0.58, 0.2), r), 0.5, 0.0);
  Echo(clip, 0.11, 0.3, 0.3);
}

// An extra life or the power-up: a quick rising arpeggio in E major that
// rings on.
void ExtraLife(Clip& clip) {
  const Voice bright{.duty = 0.25, .brightness = 8.0, .attack = 0.003, .release = 0.08};
  const Voice bell{.wave = Wave::Sine, .brightness = 4.0, .attack = 0.002, .release = 0.1, .decay = 0.15};
  const double notes[] = {76, 80, 83, 88};
  for (int k = 0; k < 4; ++k) {
    const double start = 0.06 * k;
    const double length = k == 3 ? 0.32 : 0.07;
    Note(clip, bright, notes[k], start, length, 0.5, 0.0);
    Note(clip, bell, notes[k] + 12, start, length, 0.3, 0.0);
  }
  Echo(clip, 0.09, 0.35, 0.35);
}

// The level cleared: a short fanfare in C major ending on a held chord.
void LevelClear(Clip& clip) {
  const Voice lead{.duty = 0.5, .brightness = 6.0, .attack = 0.005, .release = 0.12, .vibrato = 0.25};
  const Voice pad{.wave = Wave::Saw, .brightness = 3.0, .attack = 0.04, .release = 0.3, .detune = 0.12};
  const Voice bass{.wave = Wave::Triangle, .brightness = 8.0, .attack = 0.005, .release = 0.1};
  struct Step {
    double start, length, note;
  };
  const Step melody[] = {{0.00, 0.10, 67}, {0.12, 0.10, 72}, {0.24, 0.10, 76},
                         {0.36, 0.22, 79}, {0.62, 0.10, 76}, {0.74, 0.85, 84}};
  for (const Step& s : melody) Note(clip, lead, s.note, s.start, s.length, 0.45, 0.0);
  for (double note : {72.0, 76.0, 79.0}) Note(clip, pad, note, 0.74, 0.85, 0.16, 0.0);
  Note(clip, bass, 48, 0.00, 0.32, 0.6, 0.0);
  Note(clip, bass, 43, 0.36, 0.34, 0.6, 0.0);
  Note(clip, bass, 48, 0.74, 0.85, 0.6, 0.0);
  Echo(clip, 0.15, 0.25, 0.25);
}

// Hunters coming: two rising siren whoops, slightly detuned between the
// sides so that they beat.
void HunterAlarm(Clip& clip) {
  const int n = clip.Frames(), r = clip.rate;
  for (double start : {0.0, 0.4}) {
    for (int side = 0; side < 2; ++side) {
      const double detune = side == 0 ? 1.0 : 1.008;
      const Curve pitch = Delayed(Glide(300.0 * detune, 900.0 * detune, 0.3), start);
      Signal whoop = Oscillator(Wave::Saw, pitch, n, r);
      MixInto(whoop, Oscillator(Wave::Square, Times(pitch, Constant(0.5)), n, r), 0.4);
      whoop = Filter(whoop, Pass::Low, Times(pitch, Constant(4.0)), 1.4, r);
      Place(clip, Shape(std::move(whoop), Delayed(Held(0.01, 0.3, 0.05), start), r), 0.5,
            side == 0 ? -0.6 : 0.6);
    }
  }
}

// A carrier launching a creature: a rising, wobbling bloop over a whoosh.
// The four variants differ in pitch and wobble so that a stream of launches
// does not repeat itself.
void Launch(Clip& clip, double pitch, double wobble, uint64_t seed) {
  const int n = clip.Frames(), r = clip.rate;
  Noise noise(seed);
  const Curve rise = Vibrato(Glide(170.0 * pitch, 620.0 * pitch, 0.22), wobble, 0.5);
  Signal body = Oscillator(Wave::Triangle, rise, n, r);
  MixInto(body, Oscillator(Wave::Saw, Times(rise, Constant(2.0)), n, r), 0.15);
  Place(clip, Shape(std::move(body), Strike(0.012, 0.11), r), 0.8, 0.0);
  Place(clip, Tone(Wave::Sine, Glide(400.0 * pitch, 1200.0 * pitch, 0.1), Strike(0.002, 0.03), n, r), 0.4, 0.0);
  const Curve air = Segments({{0.0, 0.0}, {0.04, 1.0}, {0.35, 0.0}});
  for (double pan : {-0.6, 0.6}) {
    Place(clip, Hiss(noise, Pass::Band, Glide(500.0 * pitch, 2600.0 * pitch, 0.3), 1.8, air, n, r), 0.3, pan);
  }
}

void Launch1(Clip& clip) { Launch(clip, 1.0, 11.0, 1201); }
void Launch2(Clip& clip) { Launch(clip, 1.12, 13.0, 1301); }
void Launch3(Clip& clip) { Launch(clip, 0.9, 9.5, 1401); }
void Launch4(Clip& clip) { Launch(clip, 1.25, 12.0, 1501); }

// Debris collected, also the title logo landing: a two-note bling with a
// sparkling echo.
void Pickup(Clip& clip) {
  const Voice coin{.duty = 0.5, .brightness = 5.0, .attack = 0.002, .release = 0.08, .decay = 0.12};
  const Voice shine{.wave = Wave::Sine, .brightness = 4.0, .attack = 0.002, .release = 0.1, .decay = 0.15};
  Note(clip, coin, 83, 0.0, 0.05, 0.45, 0.0);
  Note(clip, coin, 88, 0.055, 0.25, 0.45, 0.0);
  Note(clip, shine, 100, 0.055, 0.25, 0.2, 0.0);
  Echo(clip, 0.075, 0.3, 0.3);
}

// The level caption: a rising call into a chord that swells and fades.
void LevelCaption(Clip& clip) {
  const int r = clip.rate;
  const Voice lead{.duty = 0.5, .brightness = 6.0, .attack = 0.004, .release = 0.06};
  const Voice bass{.wave = Wave::Triangle, .brightness = 8.0, .attack = 0.005, .release = 0.25};
  Note(clip, lead, 72, 0.00, 0.06, 0.4, 0.0);
  Note(clip, lead, 79, 0.07, 0.06, 0.4, 0.0);
  Note(clip, lead, 84, 0.14, 0.06, 0.4, 0.0);
  // The chord: detuned saws through a low-pass that opens and closes again.
  for (double note : {60.0, 67.0, 72.0, 76.0}) {
    for (double side : {-1.0, 1.0}) {
      const double hz = NoteHz(note) * std::pow(2.0, side * 0.1 / 12.0);
      const int frames = int(0.85 * r);
      Signal s = Oscillator(Wave::Saw, Constant(hz), frames, r);
      s = Filter(s, Pass::Low, Segments({{0.0, 600.0}, {0.2, 4000.0}, {0.8, 700.0}}), 1.1, r);
      Place(clip, Shape(std::move(s), Held(0.03, 0.5, 0.3), r), 0.14, 0.6 * side, 0.21);
    }
  }
  Note(clip, bass, 48, 0.21, 0.5, 0.6, 0.0);
  Echo(clip, 0.12, 0.25, 0.2);
}

}  // namespace

// clang-format off
const Effect kEffects[18] = {
  // file                        played on                                   container       ch  rate   frames  q     loud   recipe
  {"sfx_hunter_alarm.ogg",      "hunter wave, hunter pod burst (slot 1)",    Container::Ogg, 2, 22050, 19715, 0.3f, -17.0, HunterAlarm},
  {"sfx_click.ogg",             "menu click, carrier hit (slot 2)",          Container::Ogg, 2, 22050,  1536, 0.3f, -16.0, MenuClick},
  {"sfx_level_caption.ogg",     "level caption (slot 3)",                    Container::Ogg, 2, 22050, 24255, 0.5f, -16.0, LevelCaption},
  {"sfx_pod_burst.ogg",         "pod burst (slot 6)",                        Container::Ogg, 1, 22050,  9779, 0.3f, -16.0, PodBurst},
  {"sfx_ring_burst.ogg",        "bullet ring released (slot 7)",             Container::Ogg, 2, 22050, 10873, 0.3f, -17.0, RingBurst},
  {"sfx_carrier_destroyed.ogg", "carrier destroyed (slot 8)",                Container::Ogg, 2, 22050, 22050, 0.3f, -15.0, CarrierDestroyed},
  {"sfx_ship_destroyed.ogg",    "player's ship destroyed (slot 9)",          Container::Ogg, 2, 22050, 20183, 0.3f, -14.0, ShipDestroyed},
  {"sfx_extra_life.ogg",        "extra life, power-up (slot 10)",            Container::Ogg, 2, 22050, 17923, 0.5f, -16.0, ExtraLife},
  {"sfx_enemy_fire.ogg",        "enemy fires (slot 11)",                     Container::Ogg, 1, 22050,  4162, 0.3f, -18.0, EnemyFire},
  {"sfx_level_clear.ogg",       "level clear (slot 13)",                     Container::Ogg, 2, 22050, 43929, 0.5f, -16.0, LevelClear},
  {"sfx_laser.wav",             "player fires (slots 14..17)",               Container::Wav, 1,  8000,  1999, 0.0f, -19.0, PlayerLaser},
  {"sfx_pickup.ogg",            "debris collected, logo lands (slots 18..21)", Container::Ogg, 2, 22050, 13230, 0.5f, -17.0, Pickup},
  {"sfx_explosion_a.ogg",       "explosion (slots 22, 24)",                  Container::Ogg, 2, 22050,  8652, 0.3f, -14.0, ExplosionA},
  {"sfx_explosion_b.ogg",       "explosion (slots 23, 25)",                  Container::Ogg, 2, 22050,  8630, 0.3f, -14.0, ExplosionB},
  {"sfx_launch_1.ogg",          "creature launched (slot 26)",               Container::Ogg, 2, 22050, 11025, 0.3f, -18.0, Launch1},
  {"sfx_launch_2.ogg",          "creature launched (slot 27)",               Container::Ogg, 2, 22050, 11025, 0.3f, -18.0, Launch2},
  {"sfx_launch_3.ogg",          "creature launched (slot 28)",               Container::Ogg, 2, 22050, 11025, 0.3f, -18.0, Launch3},
  {"sfx_launch_4.ogg",          "creature launched (slot 29)",               Container::Ogg, 2, 22050, 11025, 0.3f, -18.0, Launch4},
};
// clang-format on

}  // namespace sfx
