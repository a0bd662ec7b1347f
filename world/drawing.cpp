//-----------------------------------------------------------------------------
// Drawing the world's entities, and the radar.
//
// Drawing walks the lists as passes, from the front to the end, like every
// other pass of the frame: that leaves no current element behind, so the
// next records added to a list go to its front.
//-----------------------------------------------------------------------------
#include "world/drawing.h"

#include <cstdint>

#include "render/display.h"
#include "render/graphics.h"
#include "world/world.h"

namespace {

constexpr int kRadarX = 188;
constexpr int kRadarY = 212;


constexpr Colour kCarrierDot = MakeColour(0, 255, 0);

// Visits every record of a list in a pass from its front.
template <typename Record, typename Visit>
void Pass(EntityList<Record>& list, Visit visit) {
    for (Record* r = list.First(); r; r = list.Next()) visit(*r);
}

// Radar dot of a world position: columns 1..64 round the ring, with x = 0
// (the screen's left edge) at 29; rows 1..8.
int RadarColumn(int32_t x) { return ((x >> 13) - 36) & 63; }
int RadarRow(int32_t y) { return ((y >> 13) + 1) & 7; }

void PlotDot(int32_t x, int32_t y, Colour colour) {
  PaintPixel(RadarColumn(x) + 1, RadarRow(y) + 1, colour);
}

}  // namespace

void UpdateRadar() {
  World& w = world;
  const int previous = SelectedTarget();
  SelectTarget(Radar);
  Blit(EmptyRadar, 0, 0);
  SelectTarget(previous);

  BeginPaint(Radar);
  Pass(w.Swarmers, [](const Swarmer& s) { PlotDot(s.x, s.y, RadarColours[0]); });
  Pass(w.Creatures, [](const Creature& c) { PlotDot(c.x, c.y, RadarColours[1]); });
  Pass(w.Pods, [](const Pod& p) { PlotDot(p.x, p.y, RadarColours[2]); });
  // A carrier is two dots wide; the second wraps from column 64 to column 1.
  Pass(w.Carriers, [](const Carrier& c) {
    const int column = RadarColumn(c.x) + 1;
    const int row = RadarRow(c.y) + 1;
    PaintPixel(column, row, kCarrierDot);
    PaintPixel((column & 63) + 1, row, RadarColours[3]);
  });
  // The ship's dot is hidden from its death until the entry run and once the
  // game is over. Its column is taken 4 pixels into the ship and its row is
  // rounded to the nearest, unlike an enemy's.
  const GameState& g = w.game;
  if (g.deathTimer < 201 && g.gameOverTimer == 0) {
    PaintPixel(RadarColumn(g.playerX + 0x400) + 1, (((g.playerY + 0x1000) >> 13) & 7) + 1, RadarColours[4]);
  }
  EndPaint();
}

void DrawEntities() {
  World& w = world;
  const int32_t scroll = w.game.scrollSpeed;

  // A score label rises one pixel a frame and is seen for 31 frames; its y is
  // in whole pixels.
  EntityList<ScoreLabel>& labels = w.ScoreLabels;
    for (ScoreLabel* l = labels.First(); l; l = labels.Next()) {
    l->life -= 1;
    if (l->life == 0) {
      labels.DeleteCurrent();
      continue;
    }
    l->x -= scroll;
    l->y -= 1;
    BlitKeyed(l->sprite, l->x >> 8, l->y);
  }

  Pass(w.PlayerShots, [](const PlayerShot& s) { BlitKeyed(s.sprite, s.x >> 8, s.y >> 8); });
  Pass(w.Creatures, [](const Creature& c) { BlitKeyed(63 + c.creatureType, c.x >> 8, c.y >> 8); });
  // A carrier's picture shows its half of the bob (+4 in the upper half) and
  // its damage (+1 for every 16 hp left above 15).
  Pass(w.Carriers, [](const Carrier& c) {
    if (c.x > -0x3000 && c.x < 0x10000) {
      BlitKeyed(FirstCarrier + ((c.phase & 128) >> 5) + (c.hp >> 4), c.x >> 8, c.y >> 8);
    }
  });
  Pass(w.Debris, [](const DebrisPiece& d) { BlitKeyed(d.sprite, d.x >> 8, d.y >> 8); });
  Pass(w.Pods, [](const Pod& p) { BlitKeyed(p.podType, p.x >> 8, p.y >> 8); });
  Pass(w.Swarmers, [](const Swarmer& s) { BlitKeyed(s.swarmerType, s.x >> 8, s.y >> 8); });
  if (w.powerUp.powerUpActive != 0) BlitKeyed(PowerUpSprite, w.powerUp.x >> 8, w.powerUp.y >> 8);
  // A bullet is drawn one pixel up and to the left of its position.
  Pass(w.EnemyBullets,
       [](const EnemyBullet& b) { BlitKeyed(EnemyBulletSprite, (b.x >> 8) - 1, (b.y >> 8) - 1); });
  Pass(w.Sparks, [](const Spark& s) { BlitKeyed(FirstSpark + s.frame / 2, s.x >> 8, s.y >> 8); });
  Pass(w.Explosions,
       [](const Explosion& e) { BlitKeyed(FirstExplosion + e.frame / 2, e.x >> 8, e.y >> 8); });
}

void DrawRadar() { Blit(Radar, kRadarX, kRadarY); }
