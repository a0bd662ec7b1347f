// Sound effects: the sound service and the game's sound table.
//
// At start-up every effect is decoded completely into a buffer of the sound
// device and entered in the sound table under its slot number; from then on
// the game plays an effect by slot. Playing an effect restarts it, so an
// effect never overlaps itself: where overlapping is wanted the table holds
// several copies of one sample and the callers take them in turn.
//
// A handle stands for one loaded sound; 0 names none, and every call given a
// handle that is not a sound does nothing. Only the main thread calls in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/sound_device.h"

//-----------------------------------------------------------------------------
// The sound table
//-----------------------------------------------------------------------------

constexpr int32_t kSoundSlots = 39;

// The slots the game plays. Slots 0, 4, 5, 12 and 30..38 stay empty.
enum SoundSlot : int32_t {
  kSoundHunterAlarm = 1,      // a hunter wave arrives, a hunter pod bursts
  kSoundClick = 2,            // menu and name-entry clicks, a carrier hit
  kSoundLevelCaption = 3,     // the level caption shows
  kSoundPodBurst = 6,         // a pod bursts into swarmers or debris
  kSoundRingBurst = 7,        // a bullet ring is released
  kSoundCarrierDestroyed = 8,
  kSoundShipDestroyed = 9,    // the player's ship is destroyed
  kSoundExtraLife = 10,       // an extra life; the power-up collected
  kSoundEnemyFire = 11,
  kSoundLevelClear = 13,
  kSoundLaser = 14,           // 14..17, the player's shots in turn
  kSoundPickup = 18,          // 18..21, debris collected in turn; 18 also the title logo landing
  kSoundExplosion = 22,       // 22..25, in turn
  kSoundLaunch = 26,          // 26..29, a carrier launches a creature, in turn
};

struct SoundTable {
  int32_t slot[kSoundSlots];  // 0 or the handle of a loaded sound

  bool operator==(const SoundTable&) const = default;
};

extern SoundTable soundTable;

// Fills the table from the embedded samples (after InitSound). A sample
// that cannot be loaded leaves its slot 0.
void LoadSounds();

// Every loaded effect (slots 0..37) to volume Int(settings volume × 0.5),
// and the music to Int(settings volume × 0.64). At start-up after LoadSounds
// and at every game start.
void ApplyVolume();

// Stops every effect of slots 1..37 (a game ends or is left).
void StopAllSounds();

// The embedded file loaded into a slot, or null for an empty slot.
const char* SoundSlotFile(int32_t slot);

// The slot whose sound this handle is, or -1.
int32_t SlotOfSound(int32_t handle);

//-----------------------------------------------------------------------------
// The sound service
//-----------------------------------------------------------------------------

// Starts the sound device and builds the volume table. False ends start-up.
bool InitSound();

// Loads a sound from a complete file image in memory: a RIFF/WAVE file of
// PCM samples or an Ogg Vorbis stream, decoded completely. slot -1 makes a
// new handle; a slot of 1 or more loads under that handle, replacing what
// was there. Returns the handle, or 0 when the image is not a sound this
// service can play.
int32_t CatchSound(int32_t slot, const void* address, size_t length);

// Play flags. The game always passes 0: the sound stops if it plays and
// starts again from its beginning, once.
constexpr int32_t kPlayLooping = 1;    // play round and round until stopped
constexpr int32_t kPlayDuplicate = 2;  // play a copy, so that the sound can overlap itself
void PlaySound(int32_t handle, int32_t flags);

// volume 0 (silent) .. 100 (full level); values outside are clamped. Level
// v is 20 × log10(v / 100) dB: 50 is -6.03 dB, 10 is -20 dB.
void SoundVolume(int32_t handle, int32_t volume);

bool IsSound(int32_t handle);

// Tools and tests may watch the effects played: the watcher is told the
// handle of every sound that PlaySound starts. nullptr stops watching.
using SoundWatcher = void (*)(int32_t handle);
void WatchSounds(SoundWatcher watcher);

// While muted, PlaySound plays nothing (a replay playing frames silently on
// its way to a moment it jumps to).
void MuteSounds(bool muted);

// Stops the sound and puts its play position back to the beginning.
void StopSound(int32_t handle);

// Frees every sound and empties the table (shutdown, tests).
void ReleaseSounds();

// What a loaded sound holds, for tools and tests; null if the handle is not
// a sound. Valid until the next CatchSound or ReleaseSounds.
struct SoundSamples {
  platform::PcmFormat format;
  const std::vector<uint8_t>* pcm;  // the whole decoded sample
  int32_t attenuation;              // hundredths of a dB as last set, 0 = full level
  platform::SoundBufferId buffer;   // its buffer on the sound device
};
const SoundSamples* FindSoundSamples(int32_t handle);
