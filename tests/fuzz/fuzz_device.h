// A headless device for the fuzz targets that draw: SDL's offscreen video
// driver and software renderer on a small hidden window, made once.
#pragma once

#include <SDL.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

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

// A file only this process writes, in the temporary folder ($TMPDIR first).
inline const char* scratchFile(const char* extension) {
  static std::string path;
  const std::string name = "veltra-fuzz-" + std::to_string(getpid()) + "." + extension;
  path = (std::filesystem::temp_directory_path() / name).string();
  return path.c_str();
}

}  // namespace veltra::fuzz
