// A float's bit pattern and back, for tests that compare or walk floats exactly.
#pragma once

#include <cstdint>
#include <cstring>

inline std::uint32_t bits(float f) {
  std::uint32_t b;
  std::memcpy(&b, &f, sizeof b);
  return b;
}

inline float fromBits(std::uint32_t b) {
  float f;
  std::memcpy(&f, &b, sizeof f);
  return f;
}
