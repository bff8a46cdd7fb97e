// Tests share one process per executable; this fixture gives each test the
// tables of a freshly loaded engine.
#pragma once

#include <gtest/gtest.h>

#include <cstring>

#include "physics.h"
#include "tables.h"
#include "veltra/veltra.h"

class FreshEngine : public ::testing::Test {
 protected:
  void SetUp() override {
    veltra::detail::resetTables();
    PhysXInertion(0.0f);
  }
};

// Bit-for-bit float equality: tells -0 from +0 and matches equal NaNs.
inline bool sameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }
