// FNV-1a over raw bits, for results that must be the same on every target:
// -0 and +0, or two NaNs, differ as they would in a game.
#pragma once

#include <cstdint>
#include <cstring>

class Hash {
 public:
  void add(float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    add(bits);
  }
  void add(std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
      state_ ^= value >> (8 * i) & 0xFFu;
      state_ *= 0x100000001B3ull;
    }
  }
  std::uint64_t value() const { return state_; }

 private:
  std::uint64_t state_ = 0xCBF29CE484222325ull;
};
