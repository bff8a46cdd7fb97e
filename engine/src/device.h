// The backend-free parts of drawing that both backends share: colour packing
// and the text rectangle.
#pragma once

#include <cstdint>

namespace veltra {

// The low 8 bits of each component, with alpha 255: 0xAARRGGBB.
constexpr std::uint32_t packColour(int red, int green, int blue) {
  return 0xFF000000u | (static_cast<std::uint32_t>(red) & 0xFFu) << 16 |
         (static_cast<std::uint32_t>(green) & 0xFFu) << 8 | (static_cast<std::uint32_t>(blue) & 0xFFu);
}

// Toward zero, saturated at the int range; NaN gives INT_MIN. A plain cast of
// an out-of-range float is undefined behaviour.
int truncToInt(float value);

struct TextRect {
  int left, top, right, bottom;
};

// Text starts at the truncated position; the right and bottom edges stay at
// 500 whatever the position, and nothing is clipped against them.
TextRect textRect(float x, float y);

}  // namespace veltra
