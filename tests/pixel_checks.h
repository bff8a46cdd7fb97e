// Pixel-test pieces shared by the SDL and Direct3D 9 backends' tests. Include
// after the backend's headless header, which provides Frame, grabFrame,
// writePng and the frame size.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

#include "tables.h"
#include "veltra/veltra.h"

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

struct Placement {
  int w, h;
  float pivotX, pivotY, x, y, angle;
};

// The texel under the pixel centre (px, py) mapped back through the rotation
// to (u, v); false where the pixel lies outside the picture. Exact at right
// angles, where cos and sin are 0 or +-1.
inline bool texelUnder(const Placement& p, int px, int py, int& u, int& v) {
  const double t = p.angle * 3.14159265358979323846 / 180.0;
  const double c = std::nearbyint(std::cos(t)), s = std::nearbyint(std::sin(t));
  const double dx = px + 0.5 - p.x, dy = py + 0.5 - p.y;
  const double fu = p.pivotX + c * dx + s * dy, fv = p.pivotY - s * dx + c * dy;
  if (fu < 0 || fv < 0 || fu >= p.w || fv >= p.h) return false;
  u = static_cast<int>(fu), v = static_cast<int>(fv);
  return true;
}

// What the exact transform puts at pixel (px, py).
inline std::uint32_t expectedAt(const Placement& p, int px, int py) {
  int u, v;
  return texelUnder(p, px, py, u, v) ? patterned(u, v) : kBackground;
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

// Clear(r, g, b) takes each component modulo 256 and draws opaque.
struct ClearCase {
  int r, g, b;
  std::uint32_t argb;
};
constexpr ClearCase kClearCases[] = {
    {10, 20, 30, 0xFF0A141Eu}, {256, -1, 300, 0xFF00FF2Cu}, {0, 0, 0, 0xFF000000u}, {-256, 511, 255, 0xFF00FFFFu}};

// A corner, a pixel near the middle and the far corner.
constexpr int kProbePixels[][2] = {
    {0, 0}, {kFrameWidth / 2 + 17, kFrameHeight / 2}, {kFrameWidth - 1, kFrameHeight - 1}};

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

inline bool sameFrame(const Frame& a, const Frame& b) {
  for (int y = 0; y < kFrameHeight; ++y)
    for (int x = 0; x < kFrameWidth; ++x)
      if (a.at(x, y) != b.at(x, y)) return false;
  return true;
}

// Test bodies both backends run, through the public API alone.

inline void expectTrailingIntsAndZFieldsChangeNothing(vLDevice& device) {
  const Placement p{6, 5, 2, 2, 100, 100, 90};
  drawPlacement(device, p, 0, 0, 0, 0);
  const Frame plain = grabFrame();
  drawPlacement(device, p, 12, 12, 12, 5);
  EXPECT_TRUE(sameFrame(plain, grabFrame()));
}

inline void expectHalfTransparentTexelsToBlend(vLDevice& device) {
  // (255, 0, 0) at alpha 128 over (0, 0, 255); integer blending may round by one.
  const vLMaterial m = spriteOf(writePng("halfred", 4, 4, [](int, int) { return 0x80FF0000u; }));
  device.Clear(0, 0, 255);
  device.BeginRender();
  device.Draw(m, vLVector2{20, 20, 0}, vLVector2{0, 0, 0}, 0, 0, 0, 0);
  device.EndRender();
  const Frame f = grabFrame();
  const std::uint32_t got = f.at(21, 21);
  EXPECT_NEAR(static_cast<int>(got >> 16 & 0xFF), 128, 1);
  EXPECT_EQ(static_cast<int>(got >> 8 & 0xFF), 0);
  EXPECT_NEAR(static_cast<int>(got & 0xFF), 127, 1);
  EXPECT_EQ(f.at(24, 21), 0xFF0000FFu);
}

struct FailedLoads {
  int missing, broken, nameless;  // the texture handles they were given
};

// A missing file, a file that is no image and no file name each say so in one
// line; neither they nor a material whose sprite slot is empty draw anything.
inline FailedLoads expectFailedLoadsToDrawNothing(vLDevice& device) {
  const std::string garbage = ::testing::TempDir() + "veltra_garbage.png";
  if (std::FILE* f = std::fopen(garbage.c_str(), "wb")) {
    std::fputs("not an image at all", f);
    std::fclose(f);
  }
  ::testing::internal::CaptureStderr();
  vLMaterial missing, broken, nameless;
  missing.LoadTexture("no/such/block.png");
  broken.LoadTexture(garbage.c_str());
  nameless.LoadTexture(nullptr);
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("veltra: cannot load texture \"no/such/block.png\": No such file or directory\n"),
            std::string::npos)
      << err;
  EXPECT_NE(err.find("veltra: cannot load texture \"" + garbage + "\": "), std::string::npos) << err;
  EXPECT_NE(err.find("veltra: cannot load texture: no file name given\n"), std::string::npos) << err;

  vLMaterial good = spriteOf(writePng("white", 8, 8, [](int, int) { return 0xFFFFFFFFu; }));
  vLMaterial spriteless = good;
  spriteless.sprite = veltra::spriteTable().append(nullptr);
  for (vLMaterial* m : {&missing, &broken, &nameless}) m->CreateSprite();
  device.Clear(10, 20, 30);
  device.BeginRender();
  for (const vLMaterial& m : {missing, broken, nameless, spriteless}) {
    device.SetTexture(m);
    device.Draw(m, vLVector2{50, 50, 0}, vLVector2{0, 0, 0}, 0, 0, 0, 0);
  }
  device.EndRender();
  EXPECT_EQ(inkOn(grabFrame(), kBackground).pixels, 0);
  return FailedLoads{missing.texture, broken.texture, nameless.texture};
}

}  // namespace pixels
