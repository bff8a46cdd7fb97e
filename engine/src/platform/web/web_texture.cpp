// Web backend: textures decoded from image files by stb_image, exactly and
// synchronously (the browser's own decoders premultiply or convert colours),
// and screenshots written as PNG.
#include <GLES2/gl2.h>

#include <string>

#include "platform/platform.h"
#include "platform/web/web_backend.h"

// The formats pictures come in; no other decoder is ever reached, whatever
// a file is called.
#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#define STBI_ONLY_BMP
#define STBI_ONLY_GIF
#define STBI_ONLY_TGA
#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image.h>
#include <stb_image_write.h>

namespace veltra {
namespace platform {

struct Texture {
  GLuint id;
  int width, height;
  std::uint32_t contextId;  // the context it belongs to
};

Texture* loadTexture(const char* file, Why& why) {
  int w = 0, h = 0, channels = 0;
  // The size first: nothing is allocated for a picture no texture can hold.
  if (!stbi_info(file, &w, &h, &channels)) {
    why = std::string("not a picture this engine reads (") + stbi_failure_reason() + ")";
    return nullptr;
  }
  const int limit = web::maxTextureSide();
  if (w > limit || h > limit) {
    why = std::to_string(w) + " x " + std::to_string(h) + " pixels is beyond the largest texture side, " +
          std::to_string(limit);
    return nullptr;
  }
  stbi_uc* rgba = stbi_load(file, &w, &h, &channels, 4);
  if (!rgba) {
    why = std::string("cannot decode it (") + stbi_failure_reason() + ")";
    return nullptr;
  }
  const GLuint id = web::uploadTexture(rgba, w, h);
  stbi_image_free(rgba);
  if (!id) {
    why = std::to_string(w) + " x " + std::to_string(h) + " pixels: the WebGL context cannot hold it";
    return nullptr;
  }
  return web::keep(Texture{id, w, h, web::contextId()});
}

Size textureSize(const Texture* texture) { return Size{texture->width, texture->height}; }

bool madeOnThisDevice(const Texture* texture) { return texture->contextId == web::contextId(); }

bool saveScreenshot(const char* pngFile, Why& why) {
  Image image;
  if (!readBackBuffer(image, why)) return false;
  std::vector<std::uint8_t> rgb(image.argb.size() * 3);
  for (std::size_t i = 0; i < image.argb.size(); ++i) {
    rgb[i * 3] = image.argb[i] >> 16 & 0xFF;
    rgb[i * 3 + 1] = image.argb[i] >> 8 & 0xFF;
    rgb[i * 3 + 2] = image.argb[i] & 0xFF;
  }
  if (stbi_write_png(pngFile, image.width, image.height, 3, rgb.data(), image.width * 3)) return true;
  why = "cannot write the file";
  return false;
}

}  // namespace platform

namespace web {
GLuint textureId(const platform::Texture* texture) { return texture->id; }
}  // namespace web
}  // namespace veltra
