#include "render/text.h"

#include "persist/high_score_table.h"
#include "render/display.h"
#include "render/graphics.h"
#include "world/tables.h"
#include "world/world.h"

namespace {

constexpr int kLogoWidth = 121;
constexpr int kLogoHeight = 39;
constexpr int kLogoX = 67;
constexpr int kLogoY = 40;
constexpr int kLogoEntranceFrames = 32;

}  // namespace

void DrawText(int x, int y, std::string_view text) {
  for (size_t i = 0; i < text.size(); ++i) {
    int c = static_cast<unsigned char>(text[i]);
    if (c < 32 || c > 95) continue;
    SetSourceRect(Font, (c - 32) * 8, 0, 8, 8);
    BlitKeyed(Font, x + 8 * static_cast<int>(i), y);
  }
}

// The score's digits are those of its plain high-score record.
std::string ScoreDisplay(int32_t score) { return PlainScoreRecord("", score) + "0"; }

void DrawLives() {
  for (int i = 1; i <= world.game.lives; ++i) BlitKeyed(LivesIcon, 8 * i - 6, 3);
}

void DrawScore() { DrawText(190, 2, ScoreDisplay(world.game.score)); }

void DrawGameOverCaption() { DrawText(88, 92, "GAME OVER"); }

// Below the place of the other captions, so that both can be read.
void DrawPausedCaption() { DrawText(104, 108, "PAUSED"); }

void DrawLevelCaption(bool demonstration) {
  if (demonstration) {
    DrawText(76, 92, "DEMONSTRATION");
  } else {
    const int32_t level = world.game.level;
    DrawText(88, 92, (level < 10 ? "LEVEL 0" : "LEVEL ") + std::to_string(level));
  }
}

void DrawLevelClearCaption() { DrawText(84, 92, "LEVEL CLEAR"); }

void DrawAllClearCaption() { DrawText(88, 108, "ALL CLEAR!"); }

bool DrawTitleLogo(int32_t frame, int32_t* titleIntro) {
  if (*titleIntro && frame < kLogoEntranceFrames) {
    // Row by row from the bottom: the rows start spread apart and swinging
    // sideways and close up into the logo as the frame count reaches 31.
    const int32_t k = 31 - frame;
    for (int32_t row = 0; row < kLogoHeight; ++row) {
      SetSourceRect(TitleLogo, 0, kLogoHeight - 1 - row, kLogoWidth, 1);
      const int32_t angle = ((frame + row) * 8) & 255;
      const int32_t dx = SpeedCircle[0][angle][0] / 5 * k / 32;
      const int32_t dy = (19 - row) * k / 4;
      BlitKeyed(TitleLogo, kLogoX + dx, 76 - row + dy);
    }
    return false;
  }
  SetSourceRect(TitleLogo, 0, 0, kLogoWidth, kLogoHeight);
  BlitKeyed(TitleLogo, kLogoX, kLogoY);
  if (!*titleIntro) return false;
  *titleIntro = 0;
  return true;
}
