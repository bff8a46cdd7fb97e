// DrawEx with any numbers: parts of a picture of any size, reaching past it
// or lying outside it, negative and non-finite sizes, scales, angles and
// positions, and any colour. Nothing may crash, hang or read past the texture.
#include <cstdint>
#include <string>

#include "fuzz_device.h"
#include "fuzz_input.h"
#include "tables.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vLDevice& device = veltra::fuzz::headlessDevice();
  veltra::fuzz::Input in(data, size);
  // One material per picture size, made once: the engine never frees them.
  static vLMaterial pictures[4][4];
  const int wide = in.byte() % 4, tall = in.byte() % 4;
  vLMaterial& m = pictures[wide][tall];
  if (m.texture < 0) {
    const int w = 1 << (wide * 2), h = 1 << (tall * 2);
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_ARGB8888);
    SDL_FillRect(s, nullptr, 0x80FF8040u);
    const char* file = veltra::fuzz::scratchFile("bmp");
    SDL_SaveBMP(s, file);
    SDL_FreeSurface(s);
    m.LoadTexture(file);
    m.CreateSprite();
  }
  const vLVector2 position{in.number(), in.number(), 0}, pivot{in.number(), in.number(), 0};
  const float angle = in.number();
  const vLVector2 scale{in.number(), in.number(), 0};
  const vLRect source{in.number(), in.number(), in.number(), in.number()};
  const int red = in.int32(), green = in.int32(), blue = in.int32(), alpha = in.int32();
  device.Clear(10, 20, 30);
  device.BeginRender();
  device.DrawEx(m, position, pivot, angle, scale, source, red, green, blue, alpha);
  device.EndRender();
  return 0;
}
