// A headless device for the fuzz targets that draw: SDL's offscreen video
// driver and software renderer on a small hidden window, made once.
#pragma once

#include <SDL.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "veltra/veltra.h"

namespace veltra::fuzz {

inline vLDevice& headlessDevice() {
  static vLDevice device;
  static const bool ready = [] {
    SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, "offscreen", SDL_HINT_OVERRIDE);
    SDL_SetHintWithPriority(SDL_HINT_RENDER_DRIVER, "software", SDL_HINT_OVERRIDE);
    SDL_Window* window =
        SDL_Init(SDL_INIT_VIDEO) == 0 ? SDL_CreateWindow("fuzz", 0, 0, 160, 120, SDL_WINDOW_HIDDEN) : nullptr;
    return window && device.CreateDevice(window);
  }();
  if (!ready) {
    std::fprintf(stderr, "fuzz: no headless device: %s\n", SDL_GetError());
    std::abort();
  }
  return device;
}

// A file only this process writes, in the temporary folder.
inline const char* scratchFile(const char* extension) {
  static char path[512];
  const char* dir = std::getenv("TMPDIR");
  std::snprintf(path, sizeof path, "%s/veltra-fuzz-%d.%s", dir && *dir ? dir : "/tmp", static_cast<int>(getpid()),
                extension);
  return path;
}

}  // namespace veltra::fuzz
