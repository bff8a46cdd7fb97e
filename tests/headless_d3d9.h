// Pixel tests on the Direct3D 9 backend: a hidden 640 x 480 popup window (so
// the client area is the whole window) and the back buffer read back through
// a system-memory copy. Under Wine the window lives on the session's Xvfb.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "fresh_engine.h"
#include "platform/d3d9/d3d9_backend.h"
#include "png_writer.h"

constexpr int kFrameWidth = 640, kFrameHeight = 480;

inline HWND testWindow(int width = kFrameWidth, int height = kFrameHeight, DWORD style = WS_POPUP) {
  static const char* kClass = [] {
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "veltra_test";
    RegisterClassExA(&wc);
    return "veltra_test";
  }();
  return CreateWindowExA(0, kClass, "pixels", style, 0, 0, width, height, nullptr, nullptr, GetModuleHandleA(nullptr),
                         nullptr);
}

using Frame = veltra::platform::d3d9::Image;

inline Frame grabFrame() {
  Frame f;
  EXPECT_TRUE(veltra::platform::d3d9::readBackBuffer(f));
  EXPECT_EQ(f.width, kFrameWidth);
  EXPECT_EQ(f.height, kFrameHeight);
  if (f.width != kFrameWidth || f.height != kFrameHeight) f.argb.assign(kFrameWidth * kFrameHeight, 0);
  f.width = kFrameWidth, f.height = kFrameHeight;
  return f;
}

// Writes a w x h PNG whose texel (u, v) is texel(u, v) as 0xAARRGGBB.
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

// One window and device for the whole program, as a game has.
class Headless : public FreshEngine {
 protected:
  void SetUp() override {
    FreshEngine::SetUp();
    static HWND window = testWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(device.CreateDevice(window));
    window_ = window;
  }
  vLDevice device;
  HWND window_ = nullptr;
};
