// The tune: A minor, 162 BPM in sixteenths (speed 6), eight bars a pattern.
//
//   order 0  intro     the hook teased on bells over chip arpeggios; the band
//                      comes in at bar 5, a noise riser leads into
//   order 1  theme A   the hook on the pulse lead with a dotted echo
//   order 2  theme A'  the hook harmonised in thirds, bells twinkle, toms fill
//   order 3  theme B   the soaring second tune over a syncopated bass, claps
//   order 4  breakdown the hook at half speed on the breath lead, music-box
//                      bells; drums return and a snare roll builds
//   order 5  climax    theme A' a tone higher (B minor) with power stabs,
//                      ending on A major; the held A becomes the third of
//                      the F that opens the finale
//   order 6  finale    theme B in A minor at full strength; a tom fill on E
//                      leads back into the intro
#include "tools/tune/song.h"

#include <algorithm>
#include <cmath>

#include "tools/tune/instruments.h"
#include "tools/tune/score.h"

namespace tune {
namespace {

constexpr int kC4 = Pitch(4, 0);
constexpr int kBassLow = Pitch(2, 4);   // bass roots E2..D#3
constexpr int kArpLow = Pitch(3, 9);    // chip arpeggio roots A3..G#4
constexpr int kBellLow = Pitch(4, 0);   // bell chord tones counted from C4..B4
constexpr int kPadCentre = Pitch(4, 4); // pads gather round E4

// The mix, as volume-column levels (0..64) before the master gain. The game's
// mixer adds the channels at unity (a centred channel at full volume reaches
// half of full scale on each side); this gain keeps the loudest bars of the
// tune about 2 dB below full scale there.
constexpr double kMasterGain = 0.55;
const Voice kLeadVoice{kLead, 42};
const Voice kEchoVoice{kLead, 17, 0x40};
const Voice kHarmonyVoice{kLead, 25, 0x58};
const Voice kDoublingVoice{kLead, 26, 0x70};
const Voice kFluteVoice{kFlute, 36, -1, 0x43, 4};
const Voice kFluteEchoVoice{kFlute, 16, 0x38, 0x43, 4};
const Voice kBellVoice{kBell, 30};
const Voice kTwinkleVoice{kBell, 20, 0xB0};
const Voice kMusicBoxVoice{kBell, 24, 0xA0};
const Voice kStabVoice{kStab, 30};
const Voice kSawBassVoice{kSawBass, 36};
const Voice kSubBassVoice{kSubBass, 32};
const int kChipVolume = 20;
const int kPadVolume = 15;
const uint8_t kPadPanning[3] = {0x48, 0x80, 0xB8};

const Kit kKicks = {{'x', kKick, kC4, 52}, {'o', kKick, kC4, 38}};
const Kit kSnares = {
    {'x', kSnare, kC4, 48},
    {'X', kSnare, kC4, 53},
    {'o', kSnare, kC4, 22},
    {'c', kClap, kC4, 50},
    {'r', kSnare, kC4, 50, kExtended, 0x93},  // retriggered every 3 ticks
};
const Kit kHats = {
    {'x', kClosedHat, kC4, 40},
    {'h', kClosedHat, kC4, 26},
    {'X', kClosedHat, kC4, 50},
    {'o', kOpenHat, kC4, 30},
};
const Kit kFx = {
    {'C', kCrash, kC4, 34},
    {'1', kTom, Pitch(4, 7), 42},
    {'2', kTom, Pitch(4, 2), 42},
    {'3', kTom, Pitch(3, 9), 44},
    {'4', kTom, Pitch(3, 4), 46},
};

// Bass line over the chords: '1' root, '8' its octave, '5' fifth.
Line Bass(const Chords& chords, int rows, std::string_view rhythm, int octaveShift = 0) {
  return FollowChords(chords, rows, rhythm,
                      [=](const Chord& c, char t) { return ChordTone(c, t, kBassLow) + 12 * octaveShift; });
}

Line Tones(const Chords& chords, int rows, std::string_view rhythm, int low) {
  return FollowChords(chords, rows, rhythm, [=](const Chord& c, char t) { return ChordTone(c, t, low); });
}

void Pads(Section& s, const Chords& chords, Ins instrument, int volume, int fromRow = 0) {
  const std::vector<Line> voices = PadVoices(chords, kPadCentre);
  for (int k = 0; k < 3; ++k)
    s.Play(kPadCh1 + k, voices[static_cast<size_t>(k)], Voice{instrument, volume, kPadPanning[k]}, fromRow);
}

// Releases whatever the channels still hold from the section before.
void Release(Section& s, std::initializer_list<int> channels) {
  for (int ch : channels) s.Put(0, ch, {.note = kKeyOff});
}

// A noise sweep rising over `rows` (some fifteen semitones a bar) and
// swelling by one step every other row.
void Riser(Section& s, int fromRow, int rows) {
  s.Put(fromRow, kFxCh, {.note = static_cast<uint8_t>(Pitch(3, 0)), .instrument = kNoise, .volume = VolumeColumn(2),
                         .effect = kPortaUp, .param = 0x03});
  s.EffectRun(kFxCh, fromRow + 1, fromRow + rows, kPortaUp, 0x03);
  for (int row = fromRow + 2; row < fromRow + rows; row += 2) s.Put(row, kFxCh, {.volume = 0x91});  // fine slide up
}

//------------------------------------------------------------------------------
// The tunes.

// Theme A: the hook is the rhythm 3-3-2-2-2-4 that most bars share.
const char* const kThemeA =
    "e5:3 a5 g5:2 e5 d5 e5:4 | f5:3 a5 g5:2 f5 e5 c5:4 | e5:3 g5 f5:2 e5 d5 c5:4 | d5:3 e5 d5:2 b4:8~ |"
    "e5:3 a5 g5:2 e5 d5 e5:4 | f5:3 a5 c6:2 a5 g5 a5:4 | g5:3 b5 d6:2 b5 a5 b5:4 | g#5:6 a5:2 b5:8~ |";
const char* const kChordsA = "am f c g | am f g e";

// Theme A': the same first six bars, then a close on the tonic.
const char* const kThemeA2 =
    "e5:3 a5 g5:2 e5 d5 e5:4 | f5:3 a5 g5:2 f5 e5 c5:4 | e5:3 g5 f5:2 e5 d5 c5:4 | d5:3 e5 d5:2 b4:8~ |"
    "e5:3 a5 g5:2 e5 d5 e5:4 | f5:3 a5 c6:2 a5 g5 a5:4 | g5:3 b5 d6:2 b5 c6 d6:4 | c6:3 b5 a5:10~ |";
const char* const kChordsA2 = "am f c g | am f g am";

// Theme B: long notes rising over the sixth and seventh degrees.
const char* const kThemeB =
    "a5:6 g5:2 a5:4 c6:4 | b5:6 a5:2 g5:4 d5:4 | g5:6 a5:2 b5:4 g5:4 | a5:12~ g5:2 e5 |"
    "a5:6 g5:2 a5:4 c6:4> | d6:6 c6:2 b5:4 g5:4 | g#5:6 a5:2 b5:4 e6:4> | d6:4 c6 b5 g#5 |";
const char* const kChordsB = "f g em am | f g e e";

//------------------------------------------------------------------------------
// The sections, in order of play.

Pattern Intro() {
  Section s(8);
  const Chords chords = ParseChords(kChordsA);
  Release(s, {kLeadCh, kEchoCh, kPadCh1, kPadCh2, kPadCh3});

  s.Play(kBellCh,
         ParseLine("e5:3 a5 g5:2 e5 d5 e5:4 | r:16 | e5:3 g5 f5:2 e5 d5 c5:4 | r:16 |"
                   "e5:3 a5 g5:2 e5 d5 e5:4 | f5:3 a5 g5:2 f5 e5 c5:4 | r:16 | r:16"),
         kBellVoice);
  for (int bar = 0; bar < 8; ++bar)
    s.ChipArpeggio(kArpCh, chords, "x.x.", {kChip, 8 + std::min(bar, 4) * 2}, bar * 16, bar * 16 + 16, kArpLow);

  const Line bass = Bass(chords, 128, "1.8.1.8.1.8.1.8.");
  s.Play(kBassCh, Slice(bass, 0, 32), {kSawBass, 28});
  s.Play(kBassCh, Slice(bass, 32, 64), {kSawBass, 32});
  s.Play(kBassCh, Slice(bass, 64, 128), kSawBassVoice);
  Pads(s, ParseChords("am f g e"), kSawPad, kPadVolume, 64);

  const Line pickup = ParseLine("r:112 | r:8 g#4:2 a4 b4 d5");
  s.Play(kLeadCh, pickup, kLeadVoice);
  s.Play(kEchoCh, Delayed(pickup, 3, 128), kEchoVoice);

  s.Hits(kKickCh,
         "x.......x....... x.......x....... x.......x....... x.......x.....x. "
         "x...x...x...x... x...x...x...x... x...x...x...x... x...x...x...x.x.",
         kKicks);
  s.Hits(kSnareCh, "....x.......x... ....x.......x... ....x.......x... x...x...x.x.xxxX", kSnares, 64);
  s.Hits(kHatCh,
         "..h...h...h...h. ..h...h...h...h. x.h.x.h.x.h.x.h. x.h.x.h.x.h.x.h. "
         "xhxhxhxhxhxhxhxh xhxhxhxhxhxhxhxh xhxhxhxhxhxhxhxh xhxhxhxhxhxhohoh",
         kHats);
  s.Hits(kFxCh, "C", kFx);
  Riser(s, 96, 32);
  return s.Result();
}

Pattern ThemeA() {
  Section s(8);
  const Chords chords = ParseChords(kChordsA);
  const Line lead = ParseLine(kThemeA);
  s.Play(kLeadCh, lead, kLeadVoice);
  s.Play(kEchoCh, Delayed(lead, 3, 128), kEchoVoice);
  s.Play(kBellCh, Tones(chords, 128, "-............... ................ ................ ................ "
                                     "..8...f...t...f. ..8...f...t...f. ..8...f...t...f. ..8...f...t...f.",
                        kBellLow),
         kTwinkleVoice);
  s.ChipArpeggio(kArpCh, chords, "x.x.", {kChip, kChipVolume}, 0, 128, kArpLow);
  Pads(s, chords, kSawPad, kPadVolume);
  s.Play(kBassCh, Bass(chords, 128, "1.8.1.8.1.8.1.8."), kSawBassVoice);

  s.Hits(kKickCh, "x...x...x...x... x...x...x...x... x...x...x...x... x...x...x...x..x "
                  "x...x...x...x... x...x...x...x... x...x...x...x... x...x...x...x.x.", kKicks);
  s.Hits(kSnareCh, "....x.......x... ....x.......x... ....x.......x... ....x.......x..o "
                   "....x.......x... ....x.......x... ....x.......x... ....x.......x.xX", kSnares);
  s.Hits(kHatCh, "xhxhxhxhxhxhxhxh xhxhxhxhxhxhxhxh xhxhxhxhxhxhxhxh xhxhxhxhxhxhxhoh "
                 "xhxhxhxhxhxhxhxh xhxhxhxhxhxhxhxh xhxhxhxhxhxhxhxh xhxhxhxhxhxhohoh", kHats);
  s.Hits(kFxCh, "C", kFx);
  s.Hits(kFxCh, "C", kFx, 64);
  return s.Result();
}

Pattern ThemeA2() {
  Section s(8);
  const Chords chords = ParseChords(kChordsA2);
  const Line lead = ParseLine(kThemeA2);
  s.Play(kLeadCh, lead, kLeadVoice);
  s.Play(kEchoCh, Harmony(lead, chords, 9, 2), kHarmonyVoice);
  s.Play(kBellCh, Tones(chords, 128, "..8...f...t...f.", kBellLow), kTwinkleVoice);
  s.ChipArpeggio(kArpCh, chords, "x.xx", {kChip, kChipVolume}, 0, 128, kArpLow);
  Pads(s, chords, kSawPad, kPadVolume);
  s.Play(kBassCh, Bass(chords, 128, "1.181.181.181.18"), kSawBassVoice);

  s.Hits(kKickCh, "x...x...x...x... x...x...x...x... x...x...x...x... x...x...x...x.x. "
                  "x...x...x...x... x...x...x...x... x...x...x...x... x...x...x.......", kKicks);
  s.Hits(kSnareCh, "....x..o....x..o ....x..o....x..o ....x..o....x..o ....x..o....x.xx "
                   "....x..o....x..o ....x..o....x..o ....x..o....x..o ....x.......x...", kSnares);
  s.Hits(kHatCh, "xhohxhohxhohxhoh xhohxhohxhohxhoh xhohxhohxhohxhoh xhohxhohxhohxhoh "
                 "xhohxhohxhohxhoh xhohxhohxhohxhoh xhohxhohxhohxhoh xhohxhoh........", kHats);
  s.Hits(kFxCh, "C", kFx);
  s.Hits(kFxCh, "C", kFx, 64);
  s.Hits(kFxCh, "........1.1.2.3.", kFx, 112);
  return s.Result();
}

Pattern ThemeB() {
  Section s(8);
  const Chords chords = ParseChords(kChordsB);
  const Line lead = ParseLine(kThemeB);
  Release(s, {kArpCh});
  s.Play(kLeadCh, lead, kLeadVoice);
  s.Play(kEchoCh, Delayed(lead, 3, 128), kEchoVoice);
  s.Play(kBellCh, Tones(chords, 128, "1..5..8.t..8..5.", kBellLow), kMusicBoxVoice);
  Pads(s, chords, kVoxPad, kPadVolume + 3);
  s.Play(kBassCh, Bass(chords, 128, "1..1..8.1..1..85"), kSawBassVoice);

  s.Hits(kKickCh, "x...x...x...x... x...x...x...x... x...x...x...x... x...x...x...x..x "
                  "x...x...x...x... x...x...x...x... x...x...x...x... x...x...x...xxxx", kKicks);
  s.Hits(kSnareCh, "....c.......c... ....c.......c..o ....c.......c... ....c.......c.o. "
                   "....c.......c... ....c.......c..o ....c.......c... ....c...x.x.xXXX", kSnares);
  s.Hits(kHatCh, "x.o.x.o.x.o.x.o. x.o.x.o.x.o.x.o. x.o.x.o.x.o.x.o. x.o.x.o.x.o.x.o. "
                 "x.o.x.o.x.o.x.o. x.o.x.o.x.o.x.o. x.o.x.o.x.o.x.o. xhxhxhxhxhxhxhxh", kHats);
  s.Hits(kFxCh, "C", kFx);
  s.Hits(kFxCh, "C", kFx, 64);
  Riser(s, 112, 16);
  return s.Result();
}

Pattern Breakdown() {
  Section s(8);
  const Chords chords = ParseChords("am:32 f c g:16 e");
  const Line lead = ParseLine(
      "e5:6 a5 g5:4 | e5:4 d5 e5:8~ | f5:6 a5 g5:4 | f5:4 e5 c5:8~ |"
      "e5:6 g5 f5:4 | e5:4 d5 c5:8~ | d5:6 e5 d5:4 | b4:16~");
  Release(s, {kArpCh});
  s.Play(kLeadCh, lead, kFluteVoice);
  s.Play(kEchoCh, Delayed(lead, 6, 128), kFluteEchoVoice);
  s.Play(kBellCh, Tones(chords, 128, "1.5.8.t.f.t.8.5.", kBellLow), kMusicBoxVoice);
  Pads(s, chords, kVoxPad, kPadVolume + 2);
  const Line sub = Bass(chords, 128, "1...............", -1);
  s.Play(kBassCh, Slice(sub, 0, 64), kSubBassVoice);
  s.Play(kBassCh, Slice(Bass(chords, 128, "1.1.1.1.1.1.1.1.", -1), 64, 128), kSubBassVoice);
  for (int bar = 4; bar < 8; ++bar)
    s.ChipArpeggio(kArpCh, chords, "x.x.", {kChip, 6 + (bar - 4) * 3}, bar * 16, bar * 16 + 16, kArpLow);

  s.Hits(kKickCh, "x............... ................ ................ ................ "
                  "x.......x....... x.......x....... x...x...x...x... x...x...x...x...", kKicks);
  s.Hits(kSnareCh, "o.o.o.o.x.x.x.x. x.x.xxxxXXXXrrrr", kSnares, 96);
  s.Hits(kHatCh, "..h...h...h...h. ..h...h...h...h. x.h.x.h.x.h.x.h. x.h.x.h.x.h.x.h. "
                 "xhxhxhxhxhxhxhxh xhxhxhxhxhxhxhxh", kHats, 32);
  s.Hits(kFxCh, "C", kFx);
  Riser(s, 96, 32);
  return s.Result();
}

Pattern Climax() {
  Section s(8);
  const Chords chords = ParseChords("bm g d a | bm g a a");
  const Line lead = Then(Transposed(Slice(ParseLine(kThemeA2), 0, 112), 2), ParseLine("d6:3 c#6 a5:10~"));
  s.Play(kLeadCh, lead, kLeadVoice);
  s.Play(kEchoCh, Transposed(lead, -12), kDoublingVoice);
  s.Play(kBellCh, Tones(chords, 128, "1..1..1.........", Pitch(3, 9)), kStabVoice);
  s.ChipArpeggio(kArpCh, chords, "x.xx", {kChip, kChipVolume}, 0, 128, kArpLow);
  Pads(s, chords, kSawPad, kPadVolume + 2);
  s.Play(kBassCh, Bass(chords, 128, "1.181.181.181.18"), kSawBassVoice);

  s.Hits(kKickCh, "x...x...x...x... x...x...x...x... x...x...x...x... x...x...x...x.xx "
                  "x...x...x...x... x...x...x...x... x...x...x...x... x...x...x...x.xx", kKicks);
  s.Hits(kSnareCh, "....X.......X... ....X.......X... ....X.......X... ....X.......X.xx "
                   "....X.......X... ....X.......X... ....X.......X... ....X...x.x.XXXX", kSnares);
  for (int bar = 0; bar < 8; ++bar) s.Hits(kHatCh, "xhxhxhxhxhxhxhoh", kHats, bar * 16);
  for (int bar = 0; bar < 8; bar += 2) s.Hits(kFxCh, "C", kFx, bar * 16);
  return s.Result();
}

Pattern Finale() {
  Section s(8);
  const Chords chords = ParseChords(kChordsB);
  const Line lead = ParseLine(
      "a5:6 g5:2 a5:4 c6:4 | b5:6 a5:2 g5:4 d5:4 | g5:6 a5:2 b5:4 g5:4 | a5:12~ g5:2 e5 |"
      "c6:6 b5:2 a5:4 c6:4 | d6:6 e6:2 d6:4 b5:4 | g#5:6 a5:2 b5:4 e6:4> | d6:4 c6 b5 g#5 |");
  s.Play(kLeadCh, lead, kLeadVoice);
  s.Play(kEchoCh, Harmony(lead, chords, 9, 2), kHarmonyVoice);
  s.Play(kBellCh, Tones(chords, 128, "..8...f...t...f.", kBellLow), kTwinkleVoice);
  s.ChipArpeggio(kArpCh, chords, "x.x.", {kChip, kChipVolume}, 0, 128, kArpLow);
  Pads(s, chords, kVoxPad, kPadVolume + 3);
  s.Play(kBassCh, Bass(chords, 128, "1.181.181.181.18"), kSawBassVoice);

  s.Hits(kKickCh, "x...x...x...x... x...x...x...x... x...x...x...x... x...x...x...x.x. "
                  "x...x...x...x... x...x...x...x... x...x...x...x... x...x...x.x.x.x.", kKicks);
  s.Hits(kSnareCh, "....x..o....x..o ....x..o....x..o ....x..o....x..o ....x..o....x.xx "
                   "....x..o....x..o ....x..o....x..o ....x..o....x..o ....x.......x...", kSnares);
  for (int bar = 0; bar < 7; ++bar) s.Hits(kHatCh, "xhohxhohxhohxhoh", kHats, bar * 16);
  s.Hits(kHatCh, "xhohxhoh........", kHats, 112);
  s.Hits(kFxCh, "C", kFx);
  s.Hits(kFxCh, "C", kFx, 64);
  s.Hits(kFxCh, "........1.2.3.4.", kFx, 112);
  return s.Result();
}

// Every volume set in the patterns, scaled by the master gain (slides are
// left as they are).
Pattern WithMasterGain(Pattern pattern) {
  for (Cell& c : pattern.cells)
    if (c.volume >= 0x10 && c.volume <= 0x50)
      c.volume = VolumeColumn(std::min(64, static_cast<int>(std::lround((c.volume - 0x10) * kMasterGain))));
  return pattern;
}

// Patterns 0 and 1 are not in the order list: the first sketches of the hook
// and of the beat.
Pattern HookSketch() {
  Section s(2);
  s.Play(kLeadCh, ParseLine("e5:3 a5 g5:2 e5 d5 e5:4 | f5:3 a5 g5:2 f5 e5 c5:2 r"), kLeadVoice);
  return s.Result();
}

Pattern BeatSketch() {
  Section s(1);
  s.Hits(kKickCh, "x...x...x...x...", kKicks);
  s.Hits(kSnareCh, "....x.......x...", kSnares);
  s.Hits(kHatCh, "xhxhxhxhxhxhxhxh", kHats);
  return s.Result();
}

}  // namespace

Module ComposeTune() {
  Module m;
  m.name = "Vantomir";
  m.channels = kChannels;
  m.speed = 6;
  m.tempo = 162;
  m.restart = 0;
  m.linearFrequencies = true;
  for (const Pattern& p : {HookSketch(), BeatSketch(), Intro(), ThemeA(), ThemeA2(), ThemeB(), Breakdown(), Climax(),
                           Finale()})
    m.patterns.push_back(WithMasterGain(p));
  m.orders = {2, 3, 4, 5, 6, 7, 8};
  m.instruments = MakeInstruments();
  return m;
}

}  // namespace tune
