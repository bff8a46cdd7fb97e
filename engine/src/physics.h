// Point-mass physics: motion, snapshot and separation passes over the mass table.
#pragma once

#include "tables.h"

namespace veltra {

float inertion();

void motionPass(MassRecord* masses, int count, float factor);
void snapshotPass(MassRecord* masses, int count);
// Pushes apart one ordered pair (j outer, k inner) if they overlap; returns
// true when it moved them. Never called with j == k.
bool separatePair(MassRecord& j, MassRecord& k);
// The reference separation pass: every ordered pair of distinct masses, in
// index order.
void separateAllPairs(MassRecord* masses, int count);
// The link operations on two records, which may be the same one.
void linkForced(MassRecord& a, MassRecord& b, float length);
void linkFree(MassRecord& a, MassRecord& b, float length);

}  // namespace veltra
