// vantomir-pace-window --latency --inputs N --sounds M: how fast the game
// answers in its real window, through the real main loop on the SDL platform.
//
// Input. The game shows its options screen, where the pointer follows the
// mouse. A thread feeds mouse moves into SDL's event queue, one at a time, at
// random moments of the pass (two passes' worth of spread, so every moment of
// a pass is as likely), each move far enough to take the pointer to the edge
// of the other half of the screen. A move has been taken in once a pass has
// pumped its events and the platform's pointer is on the new half; it has been
// shown once a frame of the loop is presented while the game's own pointer is
// there. The game reads the devices before it runs the screen and composes,
// so the pointer the game holds as a frame is presented is the pointer that
// frame was composed with.
//
// Sound. Another thread asks the sound device to play the menu click (its
// samples, in a buffer of the probe's own) at random moments. The audio
// output's thread notes when it begins each piece of output it mixes; the
// first piece after which the buffer has moved on carried the click's first
// sample. That sample leaves the output when the piece queued ahead of it has
// played: SDL's audio thread mixes a piece once the device has taken the one
// before, so one piece is ahead. The figures are for the driver SDL chose
// (SDL_AUDIODRIVER chooses another); what the sound server and the hardware
// add after the piece is theirs and not counted.
#include "tools/pace/window_latency.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <random>
#include <thread>
#include <vector>

#include "audio/sound.h"
#include "input/input.h"
#include "platform/display.h"
#include "platform/input.h"
#include "platform/pacer.h"
#include "platform/sound_device.h"
#include "render/display.h"
#include "shell/shell.h"
#include "tools/pace/latency_stats.h"
#include "tools/pace/scratch_window_game.h"

namespace {

constexpr int64_t kPassNs = 1'000'000'000 / platform::kPassesPerSecond;
constexpr int kFarMove = 4 * platform::kFrameWidth;  // across the whole screen, whatever the pointer's place
constexpr int kHalfWidth = platform::kFrameWidth / 2;
constexpr auto kGiveUp = std::chrono::seconds(5);
constexpr int kFocusPasses = 600;  // ten seconds for the window to get the focus
constexpr size_t kSteadyPieces = 8;

int64_t Now() { return platform::MonotonicNanoseconds(); }

// The loop pass under way: counted up just before each RunPass.
std::atomic<int64_t> passNumber{0};
// The loop has ended early: the threads stop feeding.
std::atomic<bool> stopFeeding{false};

void SleepNs(int64_t ns) { std::this_thread::sleep_for(std::chrono::nanoseconds(ns)); }

// Looks every millisecond: true once done() holds, false when the loop has
// ended early or 5 s have gone by first.
template <typename Done>
bool WaitUntil(Done done) {
  const auto giveUp = std::chrono::steady_clock::now() + kGiveUp;
  while (!done()) {
    if (stopFeeding || std::chrono::steady_clock::now() > giveUp) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

//-----------------------------------------------------------------------------
// Input
//-----------------------------------------------------------------------------

struct InputProbe {
  std::mutex mutex;
  std::condition_variable shown;
  bool pending = false;  // a move is on its way
  bool toRight = false;  // to the right-hand half
  bool taken = false;
  InputTiming timing;
  std::vector<InputTiming> results;
  bool lost = false;  // a move was never shown
};

InputProbe inputProbe;

bool OnTargetHalf(int x) { return inputProbe.toRight ? x >= kHalfWidth : x < kHalfWidth; }

void OnEventsTaken() {
  const int64_t now = Now();
  std::lock_guard lock(inputProbe.mutex);
  if (!inputProbe.pending || inputProbe.taken) return;
  int x = 0, y = 0;
  platform::GetPointer(&x, &y);
  if (!OnTargetHalf(x)) return;
  inputProbe.taken = true;
  inputProbe.timing.takenNs = now;
  inputProbe.timing.takenPass = passNumber.load();
}

void OnPresented() {
  const int64_t now = Now();
  std::lock_guard lock(inputProbe.mutex);
  if (!inputProbe.pending || !inputProbe.taken || !OnTargetHalf(input.pointerX)) return;
  inputProbe.timing.shownNs = now;
  inputProbe.timing.shownPass = passNumber.load();
  inputProbe.results.push_back(inputProbe.timing);
  inputProbe.pending = false;
  inputProbe.shown.notify_one();
}

void FeedInputs(int count, bool firstToRight, uint64_t seed) {
  std::mt19937_64 random(seed);
  std::uniform_int_distribution<int64_t> delay(0, 2 * kPassNs);
  for (int i = 0; i < count && !stopFeeding; ++i) {
    SleepNs(delay(random));
    std::unique_lock lock(inputProbe.mutex);
    inputProbe.pending = true;
    inputProbe.taken = false;
    inputProbe.toRight = (i % 2 == 0) == firstToRight;
    inputProbe.timing = InputTiming{};
    inputProbe.timing.arrivedPass = passNumber.load();
    inputProbe.timing.arrivedNs = Now();
    platform::InjectMouseMotion(inputProbe.toRight ? kFarMove : -kFarMove, 0);
    if (!inputProbe.shown.wait_for(lock, kGiveUp, [] { return !inputProbe.pending || stopFeeding; })) {
      inputProbe.lost = true;
      return;
    }
  }
}

//-----------------------------------------------------------------------------
// Sound
//-----------------------------------------------------------------------------

struct SoundProbe {
  platform::SoundBufferId buffer = 0;
  std::atomic<bool> awaiting{false};  // a request is waiting to be mixed
  std::atomic<int64_t> mixedNs{0};    // the start of the piece that carried it
  int64_t pieceStart = 0;             // the audio thread's own
  std::vector<int64_t> pieceStarts;   // filled up to `pieces` by the audio thread
  std::atomic<size_t> pieces{0};
  std::vector<SoundTiming> results;
  bool lost = false;
};

SoundProbe soundProbe;

void BeforeMix(int /*frames*/) {
  const int64_t now = Now();
  soundProbe.pieceStart = now;
  const size_t n = soundProbe.pieces.load(std::memory_order_relaxed);
  if (n < soundProbe.pieceStarts.size()) {
    soundProbe.pieceStarts[n] = now;
    soundProbe.pieces.store(n + 1, std::memory_order_release);
  }
}

void AfterMix(int /*frames*/) {
  if (!soundProbe.awaiting.load(std::memory_order_acquire)) return;
  // The request rewound the buffer before asking: it has moved on only if
  // this piece mixed it.
  if (platform::GetSoundBufferPosition(soundProbe.buffer) == 0) return;
  soundProbe.mixedNs.store(soundProbe.pieceStart);
  soundProbe.awaiting.store(false, std::memory_order_release);
}

void RequestSounds(int count, int64_t pieceNs, uint64_t seed) {
  // A freshly opened output may take a second or two before it asks for
  // pieces at its steady rate (PulseAudio does); the game's first sound
  // comes later than that, so the requests wait for the steady pieces.
  if (!WaitUntil([] { return soundProbe.pieces.load() >= kSteadyPieces; })) {
    soundProbe.lost = !stopFeeding;
    return;
  }
  std::mt19937_64 random(seed);
  std::uniform_int_distribution<int64_t> delay(pieceNs, 3 * pieceNs);
  for (int i = 0; i < count && !stopFeeding; ++i) {
    SleepNs(delay(random));
    platform::StopSoundBuffer(soundProbe.buffer);
    platform::SetSoundBufferPosition(soundProbe.buffer, 0);
    const int64_t requested = Now();
    soundProbe.awaiting.store(true, std::memory_order_release);
    platform::PlaySoundBuffer(soundProbe.buffer, false);
    if (!WaitUntil([] { return !soundProbe.awaiting.load(std::memory_order_acquire); })) {
      soundProbe.lost = !stopFeeding;
      return;
    }
    soundProbe.results.push_back({requested, soundProbe.mixedNs.load()});
  }
}

// A buffer of the probe's own holding the menu click; 0 if there is none.
platform::SoundBufferId MakeClickBuffer() {
  const SoundSamples* click = FindSoundSamples(soundTable.slot[kSoundClick]);
  if (click == nullptr || click->pcm->empty()) return 0;
  const auto bytes = uint32_t(click->pcm->size());
  const platform::SoundBufferId id = platform::CreateSoundBuffer(click->format, bytes);
  if (id == 0) return 0;
  platform::WriteSoundBuffer(id, 0, click->pcm->data(), bytes);
  platform::SetSoundBufferVolume(id, click->attenuation);
  return id;
}

//-----------------------------------------------------------------------------
// The report
//-----------------------------------------------------------------------------

void PrintInputs(const std::vector<InputTiming>& inputs) {
  const InputSummary s = SummariseInputs(inputs);
  std::printf("input: %zu mouse moves on the options screen, fed into the event queue at random moments\n",
              inputs.size());
  PrintSpread("  arrival to present", s.arrivalToPresent, stdout);
  PrintSpread("  taken in to present", s.takenToPresent, stdout);
  std::printf("  taken in by the pass under way as it arrived: %lld, by the next: %lld, later: %lld\n",
              static_cast<long long>(s.takenAfter[0]), static_cast<long long>(s.takenAfter[1]),
              static_cast<long long>(s.takenAfter[2]));
  std::printf("  shown by the present of the pass that took it in: %lld, of the next pass: %lld, later: %lld\n",
              static_cast<long long>(s.shownAfter[0]), static_cast<long long>(s.shownAfter[1]),
              static_cast<long long>(s.shownAfter[2]));
}

void PrintSounds(const platform::SoundOutputInfo& output, int64_t pieceNs) {
  std::printf("sound: driver %s, %d Hz, pieces of %d frames (%.1f ms)\n", output.driver, output.rate,
              output.framesPerPiece, double(pieceNs) * 1e-6);
  std::vector<int64_t> starts(soundProbe.pieceStarts.begin(),
                              soundProbe.pieceStarts.begin() + std::ptrdiff_t(soundProbe.pieces.load()));
  const SoundSummary s = SummariseSounds(soundProbe.results, pieceNs, starts);
  PrintSpread("  request to first sample out", s.requestToOut, stdout);
  PrintSpread("  request to the start of the piece carrying it", s.requestToMix, stdout);
  PrintSpread("  pieces begun every", s.pieceIntervals, stdout);
}

}  // namespace

int MeasureLatency(int inputs, int sounds) {
  ScratchWindowGame game("vantomir-tool latency");
  if (!game.Start()) return 1;
  // One title pass builds the graphics, as at a real start; then the options
  // screen, which has no timers of its own.
  bool running = game.SetUpPass();
  shell.screenState = ScreenState::Options;
  for (int i = 0; running && !IsDisplayActive() && i < kFocusPasses; ++i) running = game.SetUpPass();
  if (!running || !IsDisplayActive()) {
    std::fprintf(stderr, "vantomir-tool latency: the window %s\n",
                 running ? "never got the input focus" : "was closed before the end");
    return 1;
  }

  const platform::SoundOutputInfo output = platform::DescribeSoundOutput();
  const bool measureSound = sounds > 0 && output.driver[0] != '\0';
  const int64_t pieceNs = measureSound ? int64_t(output.framesPerPiece) * 1'000'000'000 / output.rate : 0;
  if (measureSound) {
    soundProbe.buffer = MakeClickBuffer();
    soundProbe.pieceStarts.assign(size_t(1) << 16, 0);
    platform::WatchMixing({BeforeMix, AfterMix});
  }
  WatchFrames({OnEventsTaken, OnPresented});

  std::random_device seeds;
  const bool firstToRight = input.pointerX < kHalfWidth;
  std::atomic<bool> inputsDone{false}, soundsDone{!measureSound || soundProbe.buffer == 0};
  std::thread inputThread([&, seed = seeds()] {
    FeedInputs(inputs, firstToRight, seed);
    inputsDone = true;
  });
  std::thread soundThread;
  if (!soundsDone) {
    soundThread = std::thread([&, seed = seeds()] {
      RequestSounds(sounds, pieceNs, seed);
      soundsDone = true;
    });
  }
  while (running && !(inputsDone && soundsDone)) {
    passNumber.fetch_add(1);
    running = game.Pass();
    shell.screenState = ScreenState::Options;
  }
  if (!running) {
    // The window went: nothing more will be shown for the threads.
    std::lock_guard lock(inputProbe.mutex);
    stopFeeding = true;
    inputProbe.shown.notify_one();
  }
  inputThread.join();
  if (soundThread.joinable()) soundThread.join();
  WatchFrames({});
  platform::WatchMixing({});
  if (soundProbe.buffer != 0) platform::DestroySoundBuffer(soundProbe.buffer);
  game.Stop();

  PrintInputs(inputProbe.results);
  if (!measureSound) {
    std::printf("sound: not measured (%s)\n", sounds == 0 ? "no requests asked for" : "no audio output");
  } else if (soundProbe.buffer == 0) {
    std::printf("sound: not measured (the menu click is not loaded)\n");
  } else {
    PrintSounds(output, pieceNs);
  }
  if (game.Conclude() != 0) return 1;
  if (inputProbe.lost) {
    std::fprintf(stderr, "vantomir-tool latency: a mouse move was not shown within 5 s\n");
    return 1;
  }
  if (soundProbe.lost) {
    std::fprintf(stderr, "vantomir-tool latency: a sound request was not mixed within 5 s\n");
    return 1;
  }
  return 0;
}
