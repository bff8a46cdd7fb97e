// Point-mass physics: motion, snapshot and separation passes over the mass table.
#pragma once

#include <cstdint>
#include <vector>

#include "tables.h"

namespace veltra {

float inertion();

void motionPass(MassRecord* masses, int count, float factor);
void snapshotPass(MassRecord* masses, int count);
// Pushes apart one ordered pair (j outer, k inner) if they overlap; returns
// true when it moved them. Never called with j == k.
bool separatePair(MassRecord& j, MassRecord& k);
// A pair that a separation pass pushed apart, in the order it did.
struct ActingPair {
  int outer, inner;
  bool operator==(const ActingPair& o) const { return outer == o.outer && inner == o.inner; }
};
// The reference separation pass: every ordered pair of distinct masses, in
// index order. Returns how many pairs acted; when `acting` is given, they are
// appended to it.
std::int64_t separateAllPairs(MassRecord* masses, int count, std::vector<ActingPair>* acting = nullptr);
// The link operations on two records, which may be the same one.
void linkForced(MassRecord& a, MassRecord& b, float length);
void linkFree(MassRecord& a, MassRecord& b, float length);

namespace detail {
// Tests only: the last step's contacts name masses that resetTables removes.
void forgetContacts();
}  // namespace detail

}  // namespace veltra
