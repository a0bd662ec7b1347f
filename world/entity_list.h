// EntityList: the ordered list that every entity kind of the game lives in.
//
// The order of a list decides which enemy takes a shot first, which creature
// fires when the shared fire timer runs out, and what is drawn over what, so
// every list keeps these rules:
//
//   - Add puts a new all-zero record directly after the current element, or at
//     the front when there is none, and makes it current.
//   - A pass starts at the front (First); Next moves to the successor of the
//     current element and returns null at the end, which leaves no current
//     element again.
//   - DeleteCurrent removes the current element and makes its predecessor
//     current (none if it was the first), so the pass goes on with the element
//     that followed the deleted one.
//
// Records added between two passes therefore stand together at the front,
// first-added first; a record added during a pass goes after the element
// being visited and is not visited by that pass.
//
// A pass:
//
//   for (Carrier* c = world.Carriers.First(); c; c = world.Carriers.Next()) {
//     if (c->hp < 0) world.Carriers.DeleteCurrent();
//   }
//
// The nodes are linked by index inside one vector, with a free list, so a list
// allocates only while it grows past its largest size so far (Clear keeps the
// storage), and a copy of a list is a complete, independent snapshot. Add may
// move the records: a pointer into a list is good until the next Add to it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

template <typename Record>
class EntityList {
 public:
  // Removes every element; the storage stays for reuse.
  void Clear() {
    nodes_.clear();
    first_ = kNone;
    current_ = kNone;
    free_ = kNone;
    count_ = 0;
  }

  // A new all-zero record after the current element (or at the front), which
  // becomes the current element.
  Record& Add() {
    int32_t n;
    if (free_ != kNone) {
      n = free_;
      free_ = nodes_[n].next;
      nodes_[n].record = Record{};
    } else {
      n = static_cast<int32_t>(nodes_.size());
      nodes_.push_back(Node{});
    }
    Node& node = nodes_[n];
    node.prev = current_;
    node.next = current_ == kNone ? first_ : nodes_[current_].next;
    if (node.next != kNone) nodes_[node.next].prev = n;
    if (current_ == kNone) {
      first_ = n;
    } else {
      nodes_[current_].next = n;
    }
    current_ = n;
    ++count_;
    return node.record;
  }

  // Starts a pass: the first element, now current, or null when the list is
  // empty. Records added since the last pass stand at the front.
  Record* First() {
    current_ = first_;
    return current_ == kNone ? nullptr : &nodes_[current_].record;
  }

  // One step of a pass: the element after the current one (the first element
  // when none is current), or null at the end, leaving none current.
  Record* Next() {
    current_ = current_ == kNone ? first_ : nodes_[current_].next;
    return current_ == kNone ? nullptr : &nodes_[current_].record;
  }

  // Deletes the current element; its predecessor (or none) becomes current.
  // Does nothing when no element is current.
  void DeleteCurrent() {
    if (current_ == kNone) return;
    Node& node = nodes_[current_];
    if (node.prev == kNone) {
      first_ = node.next;
    } else {
      nodes_[node.prev].next = node.next;
    }
    if (node.next != kNone) nodes_[node.next].prev = node.prev;
    const int32_t predecessor = node.prev;
    node.next = free_;
    node.prev = kNone;
    free_ = current_;
    current_ = predecessor;
    --count_;
  }

  // Forgets the current element without moving anything, as the end of a pass
  // does: for code that leaves a pass early.
  void ResetPass() { current_ = kNone; }

  Record* Current() { return current_ == kNone ? nullptr : &nodes_[current_].record; }
  int32_t Size() const { return count_; }
  // The memory a copy of the list takes beyond the list itself (snapshots
  // count it): a copy holds every node the list uses or keeps free.
  size_t StorageBytes() const { return nodes_.size() * sizeof(Node); }
  bool Empty() const { return count_ == 0; }

  // Visits every record from the front without touching the current element
  // (drawing, tests, diagnostics).
  template <typename Visit>
  void ForEach(Visit visit) const {
    for (int32_t n = first_; n != kNone; n = nodes_[n].next) visit(nodes_[n].record);
  }

  // Two lists are equal when they hold equal records in the same order and the
  // same position is current, however their storage is laid out.
  bool operator==(const EntityList& other) const {
    if (count_ != other.count_) return false;
    int32_t a = first_;
    int32_t b = other.first_;
    while (a != kNone) {
      if ((a == current_) != (b == other.current_)) return false;
      if (!(nodes_[a].record == other.nodes_[b].record)) return false;
      a = nodes_[a].next;
      b = other.nodes_[b].next;
    }
    return (current_ == kNone) == (other.current_ == kNone);
  }

 private:
  static constexpr int32_t kNone = -1;

  struct Node {
    Record record;
    int32_t prev;  // index of the predecessor, kNone for the first element
    int32_t next;  // index of the successor (of the next free node when free)
  };

  std::vector<Node> nodes_;  // live and free nodes alike
  int32_t first_ = kNone;    // front of the list
  int32_t current_ = kNone;  // the current element, kNone between passes
  int32_t free_ = kNone;     // first free node
  int32_t count_ = 0;        // live elements
};
