// The backend-free parts of drawing: colour packing and the text position.
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

}  // namespace veltra
