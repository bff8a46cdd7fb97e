// Image files through LoadTexture: the first byte picks the file name's
// extension (which must not matter), the rest is the file. A
// texture that loads is drawn straight and turned, then released so that
// millions of inputs do not pile up.
#include <unistd.h>

#include <cstdint>
#include <cstdio>

#include "fuzz_device.h"
#include "image_formats.h"
#include "platform/sdl/sdl_backend.h"
#include "tables.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vLDevice& device = veltra::fuzz::headlessDevice();
  static vLMaterial sprite = [] {
    vLMaterial m;
    m.CreateSprite();
    return m;
  }();
  if (size == 0) return 0;
  const char* path =
      veltra::fuzz::scratchFile(veltra::fuzz::kImageExtensions[data[0] % veltra::fuzz::kImageExtensionCount]);
  std::FILE* f = std::fopen(path, "wb");
  if (!f) return 0;
  std::fwrite(data + 1, 1, size - 1, f);
  std::fclose(f);

  vLMaterial m = sprite;
  m.LoadTexture(path);
  unlink(path);
  veltra::platform::Texture* texture = veltra::textureTable().at(m.texture);
  if (texture) {
    device.Clear(10, 20, 30);
    device.BeginRender();
    device.SetTexture(m);
    device.Draw(m, vLVector2{80, 60, 0}, vLVector2{7, 7, 0}, 0, 0, 0, 0);
    device.Draw(m, vLVector2{80, 60, 0}, vLVector2{7, 7, 0}, 33, 0, 0, 0);
    device.EndRender();
    veltra::sdl::releaseTexture(texture);
  }
  // The table only grows; start it afresh now and then so it stays small.
  if (veltra::textureTable().size() > 4096) veltra::textureTable().reset();
  return 0;
}
