// Pieces of the pixel tests: patterned pictures, where the exact transform
// puts each texel, and comparisons within a backend's stated tolerance.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

#include "headless.h"

namespace pixels {

constexpr std::uint32_t kBackground = 0xFF0A141Eu;  // Clear(10, 20, 30)

// Neighbouring texels differ, so a misplaced or turned texel shows (red
// repeats every 43 texels across a 150-wide picture).
inline std::uint32_t patterned(int u, int v) {
  return 0xFF000000u | (static_cast<std::uint32_t>(u * 6 + 3) & 0xFFu) << 16 |
         (static_cast<std::uint32_t>(v * 6 + 3) & 0xFFu) << 8 | 0x99u;
}

inline vLMaterial spriteOf(const std::string& path) {
  vLMaterial m;
  m.LoadTexture(path.c_str());
  m.CreateSprite();
  return m;
}

// A w x h patterned picture drawn with its pivot on (x, y), turned by angle;
// with DrawEx, only the part from (partX, partY) of partW x partH texels (0:
// to the picture's edge), scaled.
struct Placement {
  int w, h;
  float pivotX, pivotY, x, y, angle;
  int partX = 0, partY = 0, partW = 0, partH = 0;
  float scaleX = 1, scaleY = 1;
  int partWidth() const { return partW ? partW : w - partX; }
  int partHeight() const { return partH ? partH : h - partY; }
};

// The texel under the pixel centre (px, py) mapped back through the turn and
// the scale to (u, v); false where the pixel lies outside the part drawn.
// Exact at right angles, where cos and sin are 0 or +-1.
inline bool texelUnder(const Placement& p, int px, int py, int& u, int& v) {
  const double t = p.angle * 3.14159265358979323846 / 180.0;
  const double c = std::nearbyint(std::cos(t)), s = std::nearbyint(std::sin(t));
  const double dx = px + 0.5 - p.x, dy = py + 0.5 - p.y;
  const double fu = p.pivotX + (c * dx + s * dy) / p.scaleX, fv = p.pivotY + (-s * dx + c * dy) / p.scaleY;
  if (fu < 0 || fv < 0 || fu >= p.partWidth() || fv >= p.partHeight()) return false;
  u = static_cast<int>(fu) + p.partX, v = static_cast<int>(fv) + p.partY;
  return true;
}

// What the exact transform puts at pixel (px, py).
inline std::uint32_t expectedAt(const Placement& p, int px, int py) {
  int u, v;
  return texelUnder(p, px, py, u, v) ? patterned(u, v) : kBackground;
}

inline int channel(std::uint32_t argb, int shift) { return static_cast<int>(argb >> shift & 0xFF); }

// `got` is `want` mixed with at most the backend's share of `other`, allowing
// a step of rounding.
inline bool mixedWithin(std::uint32_t got, std::uint32_t want, std::uint32_t other) {
  double weight = 0, spread = 0;
  for (int shift : {24, 16, 8, 0}) {
    const double d = channel(other, shift) - channel(want, shift);
    if (std::abs(d) > spread) spread = std::abs(d), weight = (channel(got, shift) - channel(want, shift)) / d;
  }
  if (spread == 0 || weight < 0 || weight > headless::kNeighbourShare) return false;
  for (int shift : {24, 16, 8, 0}) {
    const double w = channel(want, shift), o = channel(other, shift);
    if (std::abs(w + weight * (o - w) - channel(got, shift)) > 2) return false;
  }
  return true;
}

// Right at pixel (x, y): the expected texel, or for a filtering backend that
// texel mixed with part of a neighbour (wrapped at the edges). A texel out of
// place by one is all neighbour and still shows; the background is exact.
inline bool rightPixel(const Placement& p, int x, int y, std::uint32_t got) {
  const std::uint32_t want = expectedAt(p, x, y);
  if (want == kBackground || got == want || headless::kNeighbourShare == 0) return got == want;
  int u, v;
  texelUnder(p, x, y, u, v);
  for (int du = -1; du <= 1; ++du)
    for (int dv = -1; dv <= 1; ++dv)
      if (mixedWithin(got, want, patterned((u + du + p.w) % p.w, (v + dv + p.h) % p.h))) return true;
  return false;
}

inline int countDifferences(const Frame& frame, const Placement& p) {
  int wrong = 0;
  for (int y = 0; y < kFrameHeight; ++y)
    for (int x = 0; x < kFrameWidth; ++x) wrong += !rightPixel(p, x, y, frame.at(x, y));
  return wrong;
}

inline void drawPlacement(vLDevice& device, const Placement& p, int a = 0, int b = 0, int c = 0, float z = 0) {
  const std::string path = writePng("pattern" + std::to_string(p.w) + "x" + std::to_string(p.h), p.w, p.h, patterned);
  const vLMaterial m = spriteOf(path);
  device.Clear(10, 20, 30);
  device.BeginRender();
  device.SetTexture(m);
  device.Draw(m, vLVector2{p.x, p.y, z}, vLVector2{p.pivotX, p.pivotY, -z}, p.angle, a, b, c);
  device.EndRender();
}

struct Box {
  int left = kFrameWidth, top = kFrameHeight, right = -1, bottom = -1;  // inclusive
  int pixels = 0;
};

// Where the frame differs from the background colour.
inline Box inkOn(const Frame& f, std::uint32_t background) {
  Box b;
  for (int y = 0; y < kFrameHeight; ++y)
    for (int x = 0; x < kFrameWidth; ++x) {
      if (f.at(x, y) == background) continue;
      ++b.pixels;
      b.left = std::min(b.left, x), b.right = std::max(b.right, x);
      b.top = std::min(b.top, y), b.bottom = std::max(b.bottom, y);
    }
  return b;
}

}  // namespace pixels
