// DrawT and MeasureT with any bytes at any position: invalid UTF-8, control characters,
// long lines, and text with no terminator in a buffer that ends right after
// 64 KiB, where ASan sees any read past it.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "fuzz_device.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vLDevice& device = veltra::fuzz::headlessDevice();
  static vLMaterial font = [] {
    vLMaterial m;
    m.CreateFontA(16, true, "Verdana");
    return m;
  }();
  veltra::fuzz::Input in(data, size);
  const std::uint8_t mode = in.byte();
  const vLVector2 at{in.number(), in.number(), in.number()};
  const int red = in.int32(), green = in.byte(), blue = in.int32();
  const std::uint8_t* body = in.rest();
  const std::size_t length = in.restSize();

  device.Clear(10, 20, 30);
  device.BeginRender();
  if (mode % 8 == 0 && length > 0) {
    // Exactly 64 KiB of the input repeated, with no zero anywhere in it.
    constexpr std::size_t kFull = 64 * 1024;
    char* text = static_cast<char*>(std::malloc(kFull));
    for (std::size_t i = 0; i < kFull; ++i) text[i] = body[i % length] ? static_cast<char>(body[i % length]) : 'z';
    device.DrawT(font.font, text, at, red, green, blue);
    device.MeasureT(font.font, text);
    std::free(text);
  } else {
    std::vector<char> text(body, body + length);
    text.push_back('\0');
    device.DrawT(font.font, text.data(), at, red, green, blue);
    device.MeasureT(font.font, text.data());
  }
  device.EndRender();
  return 0;
}
