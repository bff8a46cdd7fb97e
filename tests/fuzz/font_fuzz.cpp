// CreateFontA with any height, weight flag and face name bytes (fontconfig
// reads the name as a pattern too), then a line drawn with the font.
#include <cstdint>
#include <vector>

#include "fuzz_device.h"
#include "fuzz_input.h"
#include "platform/sdl/sdl_backend.h"
#include "tables.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vLDevice& device = veltra::fuzz::headlessDevice();
  veltra::fuzz::Input in(data, size);
  const std::uint8_t kind = in.byte();
  // Mostly sensible heights, sometimes anything at all.
  int height = in.byte() % 64 + 1;
  if (kind & 1)
    height =
        static_cast<int>(static_cast<std::uint32_t>(in.byte()) << 24 | in.byte() << 16 | in.byte() << 8 | in.byte());
  const bool flag = kind & 2;
  std::vector<char> face;
  while (!in.empty()) face.push_back(static_cast<char>(in.byte()));
  face.push_back('\0');

  vLMaterial m;
  m.CreateFontA(height, flag, (kind & 0xF0) == 0xF0 ? nullptr : face.data());
  veltra::platform::Font* font = veltra::fontTable().at(m.font);
  device.Clear(10, 20, 30);
  device.BeginRender();
  device.DrawT(m.font, "Points: 160", vLVector2{10, 10, 0}, 255, 0, 0);
  device.DrawT(m.font, face.data(), vLVector2{-5, 40, 0}, 0, 255, 0);
  device.EndRender();
  veltra::sdl::releaseFont(font);
  if (veltra::fontTable().size() > 4096) veltra::fontTable().reset();
  return 0;
}
