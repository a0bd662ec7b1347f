// Text and the heads-up display, drawn with the 8x8 font into the selected
// target (the playfield, 256x224).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Characters 32..95, 8 pixels apart, no wrapping; any other character draws
// nothing but still takes its 8 pixels.
void DrawText(int x, int y, std::string_view text);

// How a score is shown everywhere: the stored score as 7 digits with leading
// zeros (a longer number keeps its first 7) and one more "0".
std::string ScoreDisplay(int32_t score);

// The spare lives as small ships along the top left.
void DrawLives();
// The score at the top right.
void DrawScore();

// The captions of a game.
void DrawGameOverCaption();
void DrawPausedCaption();
void DrawLevelCaption(bool demonstration);  // "LEVEL 07", or "DEMONSTRATION"
void DrawLevelClearCaption();
void DrawAllClearCaption();

// The title logo: while its entrance is to be shown (titleIntro set) and
// frame < 32 it flies in row by row; on the first later frame it lands at
// (67, 40), clears titleIntro and returns true (the landing sound plays then).
bool DrawTitleLogo(int32_t frame, int32_t* titleIntro);
