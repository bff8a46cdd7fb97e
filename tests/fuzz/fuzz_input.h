// Reads fuzz bytes as operations and numbers. Numbers lean towards the values
// that break float code (NaN, infinities, the extremes, denormals, -0) and
// towards small integers, so masses meet often enough to collide.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>

namespace veltra::fuzz {

class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  bool empty() const { return pos_ >= size_; }
  std::size_t used() const { return pos_ < size_ ? pos_ : size_; }
  const std::uint8_t* rest() const { return data_ + used(); }
  std::size_t restSize() const { return size_ - used(); }

  std::int32_t int32() {
    std::uint32_t bits = 0;
    for (int i = 0; i < 4; ++i) bits = bits << 8 | byte();
    return static_cast<std::int32_t>(bits);
  }

  std::uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }

  float number() {
    using L = std::numeric_limits<float>;
    const std::uint8_t kind = byte();
    switch (kind % 16) {
      case 0:
        return L::quiet_NaN();
      case 1:
        return L::infinity();
      case 2:
        return -L::infinity();
      case 3:
        return L::max();
      case 4:
        return L::lowest();
      case 5:
        return L::denorm_min();
      case 6:
        return -0.0f;
      case 7:
        return 1e30f;
      case 8:
        return -3e9f;  // beyond the 32-bit range, not beyond float's
      case 13:
      case 14:
      case 15: {
        const std::uint32_t bits = static_cast<std::uint32_t>(int32());
        float f;
        std::memcpy(&f, &bits, sizeof f);
        return f;
      }
      default:
        return static_cast<float>(static_cast<std::int8_t>(byte()));
    }
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

// Ways to write a number in the format number() reads, for the seed maker.
enum NumberKind : std::uint8_t { kNaN = 0, kInf = 1, kNegInf = 2, kMax = 3, kLowest = 4, kSmallInt = 9, kRawBits = 13 };

}  // namespace veltra::fuzz
