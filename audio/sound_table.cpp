//-----------------------------------------------------------------------------
// The game's sound table: which sample each slot holds, loading them at
// start-up, the volume setting and stopping every effect.
//-----------------------------------------------------------------------------
#include <iterator>

#include "assets/embedded.h"
#include "audio/music.h"
#include "audio/sound.h"
#include "persist/settings.h"

SoundTable soundTable;

namespace {

struct SlotSample {
  int32_t slot;
  const char* file;  // in assets/
};

// The samples in the order they are loaded. A sample named in several slots
// is loaded once for each, giving independent sounds that can play together.
constexpr SlotSample kSlotSamples[] = {
    {kSoundHunterAlarm, "sfx_hunter_alarm.ogg"},
    {kSoundClick, "sfx_click.ogg"},
    {kSoundLevelCaption, "sfx_level_caption.ogg"},
    {kSoundPodBurst, "sfx_pod_burst.ogg"},
    {kSoundRingBurst, "sfx_ring_burst.ogg"},
    {kSoundCarrierDestroyed, "sfx_carrier_destroyed.ogg"},
    {kSoundShipDestroyed, "sfx_ship_destroyed.ogg"},
    {kSoundExtraLife, "sfx_extra_life.ogg"},
    {kSoundEnemyFire, "sfx_enemy_fire.ogg"},
    {kSoundLevelClear, "sfx_level_clear.ogg"},
    {kSoundLaser + 0, "sfx_laser.wav"},
    {kSoundLaser + 1, "sfx_laser.wav"},
    {kSoundLaser + 2, "sfx_laser.wav"},
    {kSoundLaser + 3, "sfx_laser.wav"},
    {kSoundPickup + 0, "sfx_pickup.ogg"},
    {kSoundPickup + 1, "sfx_pickup.ogg"},
    {kSoundPickup + 2, "sfx_pickup.ogg"},
    {kSoundPickup + 3, "sfx_pickup.ogg"},
    {kSoundExplosion + 0, "sfx_explosion_a.ogg"},
    {kSoundExplosion + 1, "sfx_explosion_b.ogg"},
    {kSoundExplosion + 2, "sfx_explosion_a.ogg"},
    {kSoundExplosion + 3, "sfx_explosion_b.ogg"},
    {kSoundLaunch + 0, "sfx_launch_1.ogg"},
    {kSoundLaunch + 1, "sfx_launch_2.ogg"},
    {kSoundLaunch + 2, "sfx_launch_3.ogg"},
    {kSoundLaunch + 3, "sfx_launch_4.ogg"},
};

}  // namespace

void LoadSounds() {
  for (const SlotSample& s : kSlotSamples) {
    const EmbeddedFile* file = FindEmbeddedFile(s.file);
    soundTable.slot[s.slot] = file != nullptr ? CatchSound(-1, file->data, file->size) : 0;
  }
}

const char* SoundSlotFile(int32_t slot) {
  for (const SlotSample& s : kSlotSamples) {
    if (s.slot == slot) return s.file;
  }
  return nullptr;
}

void ApplyVolume() {
  // Int truncates; the effects never play above volume 50 of the table.
  for (int32_t slot = 0; slot <= 37; ++slot) {
    if (IsSound(soundTable.slot[slot])) SoundVolume(soundTable.slot[slot], int32_t(settings.volume * 0.5));
  }
  // The music follows the same setting, 0..64.
  SetSongVolume(uint32_t(int32_t(settings.volume * 0.64)));
}

void StopAllSounds() {
  for (int32_t slot = 1; slot <= 37; ++slot) {
    if (IsSound(soundTable.slot[slot])) StopSound(soundTable.slot[slot]);
  }
}

int32_t SlotOfSound(int32_t handle) {
  if (handle == 0) return -1;
  for (int32_t slot = 0; slot < kSoundSlots; ++slot) {
    if (soundTable.slot[slot] == handle) return slot;
  }
  return -1;
}
