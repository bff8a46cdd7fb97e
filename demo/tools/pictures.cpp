#include "pictures.h"

#include <algorithm>
#include <cmath>

#include "raster.h"

namespace brickfall {

namespace {

// Inside a w x h rectangle at the origin whose corners are rounded by `radius`.
bool inRoundedRect(float x, float y, float w, float h, float radius) {
  const float cx = std::clamp(x, radius, w - radius), cy = std::clamp(y, radius, h - radius);
  return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius && x >= 0 && y >= 0 && x <= w && y <= h;
}

}  // namespace

Image blockPicture() {
  constexpr float kW = 40, kH = 20, kBevel = 3;
  // Teal, so the red points text stays readable where it crosses the wall.
  const Colour face{36, 164, 150}, light{150, 232, 218}, dark{14, 92, 86}, rim{6, 44, 42};
  return render(40, 20, [&](float x, float y) {
    if (!inRoundedRect(x, y, kW, kH, 2.5f)) return Sample{false, {}};
    const float left = x, top = y, right = kW - x, bottom = kH - y;
    if (std::min({left, top, right, bottom}) < 1) return Sample{true, rim};  // keeps neighbours apart
    // Light from the top left: the nearest edge decides which bevel a point is on.
    const float nearLit = std::min(left, top), nearShade = std::min(right, bottom);
    if (std::min(nearLit, nearShade) < kBevel) return Sample{true, nearLit <= nearShade ? light : dark};
    return Sample{true, mix(face, mix(face, dark, 0.35f), (y - kBevel) / (kH - 2 * kBevel))};
  });
}

Image paddlePicture() {
  constexpr float kW = 150, kH = 20, kRadius = 9.5f;
  const Colour steel{110, 160, 225}, shine{235, 245, 255}, shadow{30, 50, 95};
  return render(150, 20, [&](float x, float y) {
    const float cx = std::clamp(x, kH / 2, kW - kH / 2), dx = x - cx, dy = y - kH / 2;
    if (dx * dx + dy * dy > kRadius * kRadius) return Sample{false, {}};
    // Shade it as a round bar lit from above, with a bright streak near the top.
    const float ny = dy / kRadius;
    Colour c = ny < 0 ? mix(steel, shine, 0.5f * -ny) : mix(steel, shadow, 0.8f * ny);
    const float streak = std::exp(-std::pow((ny + 0.45f) / 0.15f, 2.0f));
    c = mix(c, shine, 0.8f * streak);
    return Sample{true, c};
  });
}

Image ballPicture() {
  constexpr float kCentre = 7, kRadius = 6.75f;
  const Colour base{225, 232, 245}, dim{40, 48, 70};
  // Unit vector towards the light, up and to the left of the viewer.
  const float lx = -0.45f, ly = -0.55f, lz = 0.70f;
  return render(14, 14, [&](float x, float y) {
    const float nx = (x - kCentre) / kRadius, ny = (y - kCentre) / kRadius, rr = nx * nx + ny * ny;
    if (rr > 1) return Sample{false, {}};
    const float nz = std::sqrt(1 - rr);
    const float diffuse = std::max(0.0f, nx * lx + ny * ly + nz * lz);
    const float reflect = 2 * diffuse * nz - lz;  // the view looks along z
    const float glint = std::pow(std::max(0.0f, reflect), 20.0f);
    const Colour lit = mix(dim, base, 0.15f + 0.85f * diffuse);
    return Sample{true, mix(lit, Colour{255, 255, 255}, glint)};
  });
}

}  // namespace brickfall
