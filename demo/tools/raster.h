// Drawing pictures in code: a shape is a function from a point to whether it
// covers it and with which colour; render() samples it into an RGBA image.
#pragma once

#include <algorithm>
#include <cstdint>

#include "png_writer.h"

namespace brickfall {

struct Colour {
  float r, g, b;
};

inline Colour mix(Colour a, Colour b, float t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

// What a shape shows at one point: covered or not, and its colour there.
struct Sample {
  bool inside;
  Colour colour;
};

inline std::uint8_t toByte(float v) { return static_cast<std::uint8_t>(std::clamp(v, 0.0f, 255.0f) + 0.5f); }

// Averages a 4 x 4 grid of samples per pixel: edges get partial alpha, so
// the shapes blend smoothly into whatever lies under them.
template <typename Shape>
Image render(int width, int height, Shape shape) {
  constexpr int kGrid = 4;
  Image image(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      Colour sum{0, 0, 0};
      int covered = 0;
      for (int j = 0; j < kGrid; ++j)
        for (int i = 0; i < kGrid; ++i) {
          const Sample s = shape(x + (i + 0.5f) / kGrid, y + (j + 0.5f) / kGrid);
          if (!s.inside) continue;
          ++covered;
          sum = {sum.r + s.colour.r, sum.g + s.colour.g, sum.b + s.colour.b};
        }
      std::uint8_t* p = image.at(x, y);
      if (covered == 0) continue;  // fully transparent black
      p[0] = toByte(sum.r / covered);
      p[1] = toByte(sum.g / covered);
      p[2] = toByte(sum.b / covered);
      p[3] = toByte(255.0f * covered / (kGrid * kGrid));
    }
  return image;
}

}  // namespace brickfall
