// vantomir-pace-window --latency: how fast the game answers in its real
// window (vantomir-tool latency). See window_latency.cpp.
#pragma once

// Feeds `inputs` mouse moves and `sounds` sound requests (0: none) and prints
// the figures; returns the exit code.
int MeasureLatency(int inputs, int sounds);
