// Pixel tests on the SDL backend, headless: the offscreen video driver and the
// software renderer, chosen by hints in the test process alone. One window
// and device serve a whole test executable.
#pragma once

#include <SDL.h>
#include <SDL_image.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "fresh_engine.h"

constexpr int kFrameWidth = 640, kFrameHeight = 480;

inline SDL_Window* headlessWindow() {
  static SDL_Window* window = [] {
    SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, "offscreen", SDL_HINT_OVERRIDE);
    SDL_SetHintWithPriority(SDL_HINT_RENDER_DRIVER, "software", SDL_HINT_OVERRIDE);
    if (SDL_Init(SDL_INIT_VIDEO) != 0) return static_cast<SDL_Window*>(nullptr);
    return SDL_CreateWindow("pixels", 0, 0, kFrameWidth, kFrameHeight, SDL_WINDOW_HIDDEN);
  }();
  return window;
}

// The back buffer as 0xAARRGGBB words, alpha forced to 255 (the window
// surface has none).
struct Frame {
  std::vector<std::uint32_t> pixels;
  std::uint32_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * kFrameWidth + x]; }
};

inline Frame grabFrame() {
  Frame f;
  f.pixels.resize(static_cast<std::size_t>(kFrameWidth) * kFrameHeight);
  SDL_RenderReadPixels(SDL_GetRenderer(headlessWindow()), nullptr, SDL_PIXELFORMAT_ARGB8888, f.pixels.data(),
                       kFrameWidth * 4);
  for (auto& p : f.pixels) p |= 0xFF000000u;
  return f;
}

// Writes a w x h PNG whose texel (u, v) is texel(u, v) as 0xAARRGGBB.
inline std::string writePng(const std::string& name, int w, int h,
                            const std::function<std::uint32_t(int, int)>& texel) {
  const std::string path = ::testing::TempDir() + "veltra_" + name + ".png";
  SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_ARGB8888);
  for (int v = 0; v < h; ++v)
    for (int u = 0; u < w; ++u)
      reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(s->pixels) + v * s->pitch)[u] = texel(u, v);
  IMG_SavePNG(s, path.c_str());
  SDL_FreeSurface(s);
  return path;
}

class Headless : public FreshEngine {
 protected:
  void SetUp() override {
    FreshEngine::SetUp();
    ASSERT_NE(headlessWindow(), nullptr) << SDL_GetError();
    ASSERT_TRUE(device.CreateDevice(headlessWindow()));
  }
  vLDevice device;
};
