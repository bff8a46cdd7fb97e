// SDL2 backend: the device (one SDL_Renderer on the caller's window), frame
// operations, pacing and screenshots.
#include <SDL.h>
#include <SDL_image.h>

#include <cstring>

#include "log.h"
#include "platform/platform.h"
#include "platform/sdl/sdl_backend.h"

namespace veltra {
namespace sdl {
namespace {

struct Device {
  SDL_Window* window = nullptr;
  Uint32 windowId = 0;
  SDL_Renderer* renderer = nullptr;
  bool software = false;
  std::uint32_t rendererId = 0;  // 0 while there is no live renderer
  // Present pacing: a vsynced renderer paces itself; without vsync (or where
  // vsync turns out not to wait) present sleeps to the display's rate.
  bool pace = false;
  bool selfPaced = false;
  int quickPresents = 0;
  Uint64 interval = 0;
  Uint64 lastPresent = 0;
  Uint64 nextPresent = 0;
};

Device gDevice;
std::uint32_t gLastRendererId = 0;

// Each renderer the backend adopts is numbered in its window's data, which
// dies with the window: back on a window, its textures draw again.
constexpr const char* kRendererIdKey = "veltra.renderer";

bool isHeadlessDriver() {
  const char* driver = SDL_GetCurrentVideoDriver();
  return driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
}

void setUpPacing(SDL_Window* window, bool vsync) {
  Device& d = gDevice;
  SDL_DisplayMode mode;
  int hz = 60;
  if (SDL_GetWindowDisplayMode(window, &mode) == 0 && mode.refresh_rate > 0) hz = mode.refresh_rate;
  d.interval = SDL_GetPerformanceFrequency() / static_cast<Uint64>(hz);
  // No display to pace to when headless; SDL_RENDER_VSYNC=0 asks for no pacing at all.
  d.pace = !isHeadlessDriver() && SDL_GetHintBoolean(SDL_HINT_RENDER_VSYNC, SDL_TRUE);
  d.selfPaced = !vsync;
  d.quickPresents = 0;
  d.lastPresent = d.nextPresent = 0;
}

void pacePresent() {
  Device& d = gDevice;
  if (!d.pace) return;
  const Uint64 now = SDL_GetPerformanceCounter();
  if (!d.selfPaced) {
    // Some drivers claim vsync and return at once: after a run of such
    // presents, fall back to pacing here.
    const bool quick = d.lastPresent != 0 && now - d.lastPresent < d.interval / 2;
    d.quickPresents = quick ? d.quickPresents + 1 : 0;
    d.lastPresent = now;
    if (d.quickPresents < 10) return;
    d.selfPaced = true;
  }
  if (d.nextPresent == 0 || now > d.nextPresent + d.interval) d.nextPresent = now;
  if (d.nextPresent > now) {
    const Uint64 ms = (d.nextPresent - now) * 1000 / SDL_GetPerformanceFrequency();
    if (ms > 0) SDL_Delay(static_cast<Uint32>(ms));
  }
  d.nextPresent += d.interval;
}

}  // namespace

SDL_Renderer* liveRenderer() {
  Device& d = gDevice;
  if (!d.renderer) return nullptr;
  // SDL2 leaves the renderer dangling when its window is destroyed: look the
  // window up by id so a dead or replaced window is never drawn to.
  if (SDL_GetWindowFromID(d.windowId) != d.window || SDL_GetRenderer(d.window) != d.renderer) {
    warnOnce("window-gone", "the device's window or renderer is gone: drawing stops until the next CreateDevice");
    d.renderer = nullptr;
    d.rendererId = 0;
    clearTextCache();
  }
  return d.renderer;
}

bool softwareRenderer() { return gDevice.software; }

std::uint32_t rendererId() { return gDevice.rendererId; }

}  // namespace sdl

namespace platform {
using sdl::gDevice;

bool createDevice(vLWindow window, Why& why) {
  const Uint32 windowId = SDL_GetWindowID(window);
  if (windowId == 0) {
    why = SDL_GetError();
    return false;
  }
  // A window keeps one renderer: a second CreateDevice on it reuses it.
  SDL_Renderer* renderer = SDL_GetRenderer(window);
  auto id =
      static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(SDL_GetWindowData(window, sdl::kRendererIdKey)));
  if (!renderer) id = 0;  // an id left by a renderer since destroyed names nothing
  if (!renderer) renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC);
  if (!renderer) renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
  if (!renderer) {
    why = SDL_GetError();
    return false;
  }
  SDL_RendererInfo info;
  if (SDL_GetRendererInfo(renderer, &info) != 0) info.flags = 0;
  SDL_SetRenderDrawBlendMode(renderer, SDL_BLENDMODE_NONE);

  if (id == 0) {
    id = ++sdl::gLastRendererId;
    SDL_SetWindowData(window, sdl::kRendererIdKey, reinterpret_cast<void*>(static_cast<std::uintptr_t>(id)));
  }
  sdl::Device& d = gDevice;
  // Cached lines belong to the renderer being left (freed while it lives).
  if (id != d.rendererId) sdl::clearTextCache();
  d.window = window;
  d.windowId = windowId;
  d.renderer = renderer;
  d.rendererId = id;
  d.software = (info.flags & SDL_RENDERER_SOFTWARE) != 0;
  sdl::setUpPacing(window, (info.flags & SDL_RENDERER_PRESENTVSYNC) != 0);
  return true;
}

bool hasDevice() { return sdl::liveRenderer() != nullptr; }

void clear(std::uint32_t argb) {
  SDL_Renderer* r = sdl::liveRenderer();
  if (!r) return;
  SDL_SetRenderDrawColor(r, (argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF, 0xFF);
  SDL_RenderClear(r);
}

void present() {
  SDL_Renderer* r = sdl::liveRenderer();
  if (!r) return;
  SDL_RenderPresent(r);
  sdl::pacePresent();
}

bool readBackBuffer(Image& out, Why& why) {
  SDL_Renderer* r = sdl::liveRenderer();
  int w = 0, h = 0;
  if (!r || SDL_GetRendererOutputSize(r, &w, &h) != 0 || w <= 0 || h <= 0) {
    why = r ? SDL_GetError() : message::kNoDevice;
    return false;
  }
  out.width = w, out.height = h;
  out.argb.resize(static_cast<std::size_t>(w) * h);
  if (SDL_RenderReadPixels(r, nullptr, SDL_PIXELFORMAT_ARGB8888, out.argb.data(), w * 4) != 0) {
    why = SDL_GetError();
    return false;
  }
  // The back buffer's alpha is whatever blending left there; a picture of it is opaque.
  for (std::uint32_t& p : out.argb) p |= 0xFF000000u;
  return true;
}

bool saveScreenshot(const char* pngFile, Why& why) {
  Image image;
  if (!readBackBuffer(image, why)) return false;
  SDL_Surface* shot = SDL_CreateRGBSurfaceWithFormatFrom(image.argb.data(), image.width, image.height, 32,
                                                         image.width * 4, SDL_PIXELFORMAT_ARGB8888);
  const bool ok = shot && IMG_SavePNG(shot, pngFile) == 0;
  if (!ok) why = SDL_GetError();
  SDL_FreeSurface(shot);
  return ok;
}

}  // namespace platform
}  // namespace veltra
