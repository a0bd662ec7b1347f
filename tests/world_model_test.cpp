// The entity lists' ordering rules, snapshots of the world, clearing it, and
// the wrap of screen-relative x.
#include <gtest/gtest.h>

#include <vector>

#include "world/entity_list.h"
#include "world/world.h"

namespace {

struct Item {
  int32_t id;
  int32_t other;

  bool operator==(const Item&) const = default;
};

using List = EntityList<Item>;
using Ids = std::vector<int32_t>;

Ids IdsOf(const List& list) {
  Ids ids;
  list.ForEach([&](const Item& item) { ids.push_back(item.id); });
  return ids;
}

// Adds between passes, then runs a pass to its end.
List MakeList(std::initializer_list<int32_t> ids) {
  List list;
  for (int32_t id : ids) list.Add().id = id;
  while (list.Next()) {
  }
  return list;
}

TEST(EntityList, AddsBetweenPassesStandAtTheFrontFirstAddedFirst) {
  List list = MakeList({1, 2, 3});
  for (int32_t id : {4, 5, 6}) list.Add().id = id;
  EXPECT_EQ(IdsOf(list), (Ids{4, 5, 6, 1, 2, 3}));
  ASSERT_NE(list.Current(), nullptr);
  EXPECT_EQ(list.Current()->id, 6);  // the newest element is current
  EXPECT_EQ(list.Size(), 6);
}

TEST(EntityList, AddDuringPassGoesAfterTheVisitedElementAndIsNotVisited) {
  List list = MakeList({1, 2, 3});
  Ids visited;
  for (Item* item = list.Next(); item; item = list.Next()) {
    visited.push_back(item->id);
    if (item->id == 2) {
      list.Add().id = 20;
      list.Add().id = 21;
    }
  }
  EXPECT_EQ(visited, (Ids{1, 2, 3}));
  EXPECT_EQ(IdsOf(list), (Ids{1, 2, 20, 21, 3}));
  // The pass ended with no current element: the next add goes to the front.
  list.Add().id = 9;
  EXPECT_EQ(IdsOf(list).front(), 9);
}

TEST(EntityList, DeletingTheCurrentElementMakesItsPredecessorCurrent) {
  List list = MakeList({1, 2, 3, 4, 5});
  Ids visited;
  std::vector<const Item*> currentAfterDelete;
  for (Item* item = list.Next(); item; item = list.Next()) {
    visited.push_back(item->id);
    if (item->id == 1 || item->id == 3) {
      list.DeleteCurrent();
      currentAfterDelete.push_back(list.Current());
    }
  }
  EXPECT_EQ(visited, (Ids{1, 2, 3, 4, 5}));  // the pass goes on with the follower
  EXPECT_EQ(IdsOf(list), (Ids{2, 4, 5}));
  ASSERT_EQ(currentAfterDelete.size(), 2u);
  EXPECT_EQ(currentAfterDelete[0], nullptr);  // 1 was first
  ASSERT_NE(currentAfterDelete[1], nullptr);
  EXPECT_EQ(currentAfterDelete[1]->id, 2);

  // An add right after a deletion therefore takes the deleted element's place,
  // or the front when the first element went.
  list = MakeList({1, 2, 3});
  list.Next();
  list.Next();
  list.DeleteCurrent();
  list.Add().id = 7;
  EXPECT_EQ(IdsOf(list), (Ids{1, 7, 3}));
  list = MakeList({1, 2});
  list.Next();
  list.DeleteCurrent();
  list.Add().id = 8;
  EXPECT_EQ(IdsOf(list), (Ids{8, 2}));
}

TEST(EntityList, DeletingEveryElementInOnePassEmptiesTheList) {
  List list = MakeList({1, 2, 3, 4});
  int visits = 0;
  for (Item* item = list.Next(); item; item = list.Next()) {
    item->other = 99;
    ++visits;
    list.DeleteCurrent();
  }
  EXPECT_EQ(visits, 4);
  EXPECT_TRUE(list.Empty());
  EXPECT_EQ(list.Next(), nullptr);
  // Freed nodes come back all zero.
  for (int i = 0; i < 5; ++i) EXPECT_EQ(list.Add(), (Item{0, 0}));
  list.Clear();
  EXPECT_TRUE(list.Empty());
  EXPECT_EQ(list.Add(), (Item{0, 0}));
}

TEST(EntityList, CopiesAreIndependentAndCompareByContent) {
  List list = MakeList({1, 2, 3});
  const List snap = list;
  list.Next();
  list.DeleteCurrent();
  EXPECT_NE(snap, list);
  EXPECT_EQ(IdsOf(snap), (Ids{1, 2, 3}));

  // The same contents reached through different histories compare equal,
  // but not when another element is current or a record differs.
  List a = MakeList({3});
  a.Add().id = 1;
  a.Add().id = 2;
  while (a.Next()) {
  }
  List b = MakeList({9, 1, 2, 3});
  b.Next();
  b.DeleteCurrent();
  while (b.Next()) {
  }
  EXPECT_EQ(a, b);
  a.Next();
  EXPECT_NE(a, b);
  b.Next();
  EXPECT_EQ(a, b);
  a.Current()->other = 5;
  EXPECT_NE(a, b);
}

TEST(World, SnapshotsAndClearing) {
  world = World{};
  EXPECT_EQ(world.game.level, 1);
  world.Carriers.Add().hp = 12;
  world.game.score = 40;
  const World snap = world;
  world.EnemyBullets.Add().vx = 3;
  world.sound.sfxLaunch = 1;
  EXPECT_NE(snap, world);
  world = snap;
  EXPECT_EQ(snap, world);

  world.PlayerShots.Add();
  world.ScoreLabels.Add();
  world.Sparks.Add();
  world.Explosions.Add();
  world.Creatures.Add();
  world.Swarmers.Add();
  world.Pods.Add();
  world.Debris.Add();
  world.EnemyBullets.Add();
  ClearAllEntities();
  World expected;
  expected.game.score = 40;
  EXPECT_EQ(world, expected);
}

TEST(World, WrapIsStrictAtHalfTheWorld) {
  EXPECT_EQ(WrapWorldX(0x40000), 0x40000);
  EXPECT_EQ(WrapWorldX(-0x40000), -0x40000);
  EXPECT_EQ(WrapWorldX(0x40001), -0x3FFFF);
  EXPECT_EQ(WrapWorldX(-0x40001), 0x3FFFF);
}

}  // namespace
