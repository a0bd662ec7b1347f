// What the window runs of vantomir-tool (pace --demo, latency) share: the
// game started in its real window from a fresh scratch folder, so that it
// plays with the default settings and leaves no files behind.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "shell/shell.h"

class ScratchWindowGame {
 public:
  // The messages name the command, e.g. "vantomir-tool pace".
  explicit ScratchWindowGame(std::string command) : command_(std::move(command)) {}
  ~ScratchWindowGame() { Stop(); }

  // Checks for a display, makes and enters the scratch folder and starts the
  // game up to its window; false, with a message on standard error, when any
  // of that fails.
  bool Start();
  // Shuts the game down and removes the folder (once; the destructor does it
  // too).
  void Stop();

  // One pass of the game's loop (RunPass) before the measuring: false once
  // the window has been closed.
  bool SetUpPass();
  // The same for a measured pass, which is also counted when it ran without
  // the input focus.
  bool Pass();
  // After the report: notes the passes that ran without the input focus (on
  // standard output) and a window closed before the end (on standard error,
  // returning 1); 0 otherwise.
  int Conclude() const;

 private:
  std::string command_;
  std::filesystem::path folder_;
  bool gameStarted_ = false;  // StartUp ran: ShutDown is due
  StartUpResult result_ = StartUpResult::Failed;
  bool closed_ = false;
  int64_t backgroundPasses_ = 0;
};
