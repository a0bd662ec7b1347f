// The game's music: one XM song at a time, rendered by the XM player
// (audio/xm_player.h) on a thread of its own and streamed into the looping
// stream buffer of the sound device.
//
// The stream buffer (stereo, 44100 Hz, 16-bit, 65536 bytes) is treated as 16
// blocks of 4096 bytes. The thread reads the play cursor, sleeps 5 ms, and
// renders the next block whenever it is not the one being played, so it
// stays up to 15 blocks (about 350 ms) ahead of what is heard. A rendered
// block is rounded, clamped to 16 bits, multiplied by 16 and divided by the
// volume divisor (80 - v for a song volume v of 1..64).
//
// Driving. The game's sound device plays in real time and the thread keeps
// up with it. The headless device instead advances only when a loop pass asks
// it to, far faster than real time; there the song is driven by the caller:
// SetMusicDriver(MusicDriver::Caller) before start-up makes PlaySong start no
// thread, and ServiceSong() after each loop pass renders every block the
// play cursor allows, so the audio is the same on every run.
//
// All functions are for the main thread.
#pragma once

#include <cstdint>

#include "platform/sound_device.h"

// PlaySong flags.
constexpr uint32_t kSongInMemory = 1;  // data is a module image of length bytes
constexpr uint32_t kSongFile = 2;      // data is a file name (a null-terminated string)
constexpr uint32_t kSongPlayOnce = 8;  // stop at the end instead of looping

constexpr uint32_t kMusicBlockBytes = 4096;
constexpr uint32_t kMusicBlocks = 16;
constexpr int kMusicBlockFrames = 1024;

// Makes the stream buffer; 0 if the device refuses it. Once, at start-up.
platform::SoundBufferId CreateMusicStream();

// Stops any song; then, unless data is null, loads the module, renders the
// first 16 blocks, plays the buffer looping from its start and starts the
// rendering thread. A module that cannot be had or loaded leaves no song.
void PlaySong(const void* data, uint32_t length, uint32_t flags, platform::SoundBufferId streamBuffer);

// Ends the thread (waiting for it), stops the stream buffer and sets its
// position to 0, and frees the song. Harmless when no song plays.
void StopSong();

// Above 64 counts as 64; 1..64 sets the divisor to 80 - v; 0 silences.
// Applies from the next block rendered; kept across songs.
void SetSongVolume(uint32_t volume);

// True from PlaySong until StopSong, or until a play-once song has ended.
bool IsSongPlaying();

enum class MusicDriver { Thread, Caller };

// How the next PlaySong's blocks get rendered (Thread by default).
void SetMusicDriver(MusicDriver driver);

// Caller driver: renders every block the play cursor allows now. Does nothing
// without a song or with the thread driver.
void ServiceSong();

// The divisor the next block is rendered with: 0 before any SetSongVolume
// and any song (PlaySong then makes it 16), 16 at full volume.
int32_t SongVolumeDivisor();

// Back to a fresh process: no song, no volume set, thread driver.
void ResetMusic();

// One block's arithmetic: each float sample clamped to -32768..32767 and
// rounded to the nearest integer (halves away from zero), multiplied by 16
// and divided by divisor (> 0; towards zero). frames stereo frames, 2 *
// frames values.
void ConvertMusicBlock(const float* mix, int frames, int32_t divisor, int16_t* out);
