// The window runs of vantomir-tool (pace --demo, latency) need the SDL
// platform, which vantomir-tool does not link: they are done by
// vantomir-pace-window, a companion program built beside vantomir-tool from
// the same game library and the SDL platform.
#pragma once

#include <string>
#include <vector>

constexpr const char* kWindowProgram = "vantomir-pace-window";

// Hands over to the companion (exec) with these arguments; returns 1, with a
// message naming the command, only when it cannot be run.
int RunWindowCompanion(const std::string& command, const std::vector<std::string>& args);
