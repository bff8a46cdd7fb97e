// The SDL backend's headless window: the offscreen video driver and the
// software renderer, chosen by hints in the test process alone.
#include <SDL.h>
#include <SDL_image.h>

#include "headless.h"

namespace headless {

// The software renderer samples the nearest texel at right angles, exactly.
const double kNeighbourShare = 0;
const int kCapitalHeight16 = 10;
const int kMeasureSlack = 3;

vLWindow openWindow(int width, int height) {
  SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, "offscreen", SDL_HINT_OVERRIDE);
  SDL_SetHintWithPriority(SDL_HINT_RENDER_DRIVER, "software", SDL_HINT_OVERRIDE);
  if (!SDL_WasInit(SDL_INIT_VIDEO) && SDL_Init(SDL_INIT_VIDEO) != 0) return nullptr;
  return SDL_CreateWindow("pixels", 0, 0, width, height, SDL_WINDOW_HIDDEN);
}

void closeWindow(vLWindow window) { SDL_DestroyWindow(window); }

bool readPng(const std::string& path, veltra::platform::Image& out) {
  SDL_Surface* raw = IMG_Load(path.c_str());
  SDL_Surface* img = raw ? SDL_ConvertSurfaceFormat(raw, SDL_PIXELFORMAT_ARGB8888, 0) : nullptr;
  SDL_FreeSurface(raw);
  if (!img) return false;
  out.width = img->w, out.height = img->h;
  out.argb.resize(static_cast<std::size_t>(img->w) * img->h);
  for (int y = 0; y < img->h; ++y)
    for (int x = 0; x < img->w; ++x)
      out.argb[static_cast<std::size_t>(y) * img->w + x] =
          reinterpret_cast<const std::uint32_t*>(static_cast<const std::uint8_t*>(img->pixels) + y * img->pitch)[x];
  SDL_FreeSurface(img);
  return true;
}

}  // namespace headless
