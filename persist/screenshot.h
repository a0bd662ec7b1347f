// F12: the screen as the next free snapNNNNNN.bmp in the current directory.
#pragma once

#include <cstdint>
#include <string>

// The last screenshot number tried; 0 at start-up, never reset in a run.
extern int32_t snapCounter;

// "snap" + the number right-aligned to 6 digits with leading zeros (a longer
// number keeps its first 6 digits) + ".bmp".
std::string SnapFileName(int32_t number);

// Saves the back buffer under the next free name. A name that cannot be
// written loses the shot with one line on standard error; the game goes on.
void TakeScreenshot();

// Writes sprite n as a 24-bit BMP file; false when there is no such sprite or
// the file cannot be written (error then says why).
bool SaveSpriteImage(int n, const std::string& path, std::string* error = nullptr);
