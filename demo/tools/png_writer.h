// A small PNG writer (8-bit RGBA, stored deflate blocks) on the standard
// library alone, so every build host can make the game's pictures.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace brickfall {

struct Image {
  int width = 0, height = 0;
  std::vector<std::uint8_t> rgba;  // row by row from the top, 4 bytes a pixel

  Image(int w, int h) : width(w), height(h), rgba(static_cast<std::size_t>(w) * h * 4, 0) {}
  std::uint8_t* at(int x, int y) { return &rgba[(static_cast<std::size_t>(y) * width + x) * 4]; }
  const std::uint8_t* at(int x, int y) const { return &rgba[(static_cast<std::size_t>(y) * width + x) * 4]; }
};

// The whole PNG file for `image`.
std::vector<std::uint8_t> encodePng(const Image& image);
// Writes `image` to `path`; false (with errno set by the stream) when it cannot.
bool writePng(const std::string& path, const Image& image);

}  // namespace brickfall
