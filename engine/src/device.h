// The backend-free parts of drawing: colour packing and the text position.
#pragma once

#include <cstddef>
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

namespace platform {
struct Texture;
}
// The texture a draw may use, or null: an empty slot, no device, or a texture
// of an earlier device (told once) draws nothing.
platform::Texture* drawableTexture(platform::Texture* texture);

// The bytes of `text` a text call reads: up to its zero, and never past 64 KiB
// (told once), so a buffer without its zero is not read until something faults.
std::size_t textLength(const char* text);

}  // namespace veltra
