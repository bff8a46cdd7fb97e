// A headless window and device for the tests that draw, on whichever backend
// the build has: that backend's headless_<backend>.cpp makes the window and
// states its tolerances; everything else here is the same for all of them.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>

#include "fresh_engine.h"
#include "platform/platform.h"
#include "png_writer.h"

constexpr int kFrameWidth = 640, kFrameHeight = 480;

namespace headless {

// A hidden window whose client area is width x height, or null; and its end.
vLWindow openWindow(int width, int height);
void closeWindow(vLWindow window);
// Reads a PNG file with the platform's own decoder, to check what the engine wrote.
bool readPng(const std::string& path, veltra::platform::Image& out);

// Where a backend's sampling strays from the nearest texel at right angles:
// the share of a neighbouring texel a pixel may take on (0: exact).
extern const double kNeighbourShare;
// The least height of a capital at cell height 16: fonts differ in their leading.
extern const int kCapitalHeight16;
// How far ink and a measured line may differ at either end (glyphs that reach
// past their advance, side bearings).
extern const int kMeasureSlack;

// The window every test of a program shares, as a game has one.
inline vLWindow sharedWindow() {
  static const vLWindow window = openWindow(kFrameWidth, kFrameHeight);
  return window;
}

}  // namespace headless

// The back buffer as it stands, alpha forced to 255.
using Frame = veltra::platform::Image;

inline Frame grabFrame() {
  Frame f;
  veltra::platform::Why why;
  EXPECT_TRUE(veltra::platform::readBackBuffer(f, why)) << why;
  EXPECT_EQ(f.width, kFrameWidth);
  EXPECT_EQ(f.height, kFrameHeight);
  if (f.width != kFrameWidth || f.height != kFrameHeight) f.argb.assign(kFrameWidth * kFrameHeight, 0);
  f.width = kFrameWidth, f.height = kFrameHeight;
  return f;
}

// Writes a w x h PNG whose texel (u, v) is texel(u, v) as 0xAARRGGBB, in the
// test's temporary folder, and returns its path.
inline std::string writePng(const std::string& name, int w, int h,
                            const std::function<std::uint32_t(int, int)>& texel) {
  const std::string path = ::testing::TempDir() + "veltra_" + name + ".png";
  brickfall::Image image(w, h);
  for (int v = 0; v < h; ++v)
    for (int u = 0; u < w; ++u) {
      const std::uint32_t argb = texel(u, v);
      std::uint8_t* p = image.at(u, v);
      p[0] = argb >> 16 & 0xFF, p[1] = argb >> 8 & 0xFF, p[2] = argb & 0xFF, p[3] = argb >> 24;
    }
  EXPECT_TRUE(brickfall::writePng(path, image)) << path;
  return path;
}

class Headless : public FreshEngine {
 protected:
  void SetUp() override {
    FreshEngine::SetUp();
    ASSERT_NE(headless::sharedWindow(), nullptr);
    ASSERT_TRUE(device.CreateDevice(headless::sharedWindow()));
  }
  vLDevice device;
};
