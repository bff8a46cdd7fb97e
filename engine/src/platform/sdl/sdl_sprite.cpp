// SDL2 backend: textures from image files, and sprites that draw a whole
// texture through a rotation-and-translation matrix.
#include <SDL.h>
#include <SDL_image.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "matrix.h"
#include "platform/platform.h"
#include "platform/sdl/sdl_backend.h"

namespace veltra {
namespace platform {

struct Texture {
  SDL_Texture* texture;
  int width, height;
  std::uint32_t rendererId;  // the renderer it belongs to
  std::uint32_t modulation;  // colour and alpha modulation now set on it
};

struct Sprite {
  Matrix transform;
};

namespace {

constexpr double kRadToDeg = 57.295779513082320876798154814105;
// The side the software renderer, which sets no limit, is held to: 256 MiB of
// texels, within what any GPU takes.
constexpr int kMaxTextureSide = 8192;
// Far beyond any render target, and small enough that SDL's int maths cannot overflow.
constexpr double kFarAway = 16777216.0;

// The transform's float rounding leaves noise of about 1e-5 pixel: drop it so
// integer placements stay integer (the software renderer truncates rects).
double settle(double v, bool software) {
  const double nearest = std::nearbyint(v);
  if (software || std::fabs(v - nearest) < 1.0 / 1024) return nearest;
  return v;
}

// An angle within a hair of a right angle is one: cos(float(pi / 2)) is not 0.
double settleAngle(double degrees) {
  const double quarter = std::nearbyint(degrees / 90.0) * 90.0;
  return std::fabs(degrees - quarter) < 1e-4 ? quarter : degrees;
}

void setModulation(Texture& t, std::uint32_t argb) {
  if (t.modulation == argb) return;
  SDL_SetTextureColorMod(t.texture, (argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
  SDL_SetTextureAlphaMod(t.texture, argb >> 24);
  t.modulation = argb;
}

}  // namespace

Texture* loadTexture(const char* file) {
  if (!file) {
    std::fprintf(stderr, "veltra: cannot load texture: no file name given\n");
    return nullptr;
  }
  SDL_Renderer* r = sdl::liveRenderer();
  if (!r) {
    std::fprintf(stderr, "veltra: cannot load texture \"%s\": no device yet\n", file);
    return nullptr;
  }
  SDL_RendererInfo info;
  if (SDL_GetRendererInfo(r, &info) != 0) info.max_texture_width = info.max_texture_height = 0;
  std::string why;
  SDL_Surface* image = sdl::decodeImage(file, info.max_texture_width > 0 ? info.max_texture_width : kMaxTextureSide,
                                        info.max_texture_height > 0 ? info.max_texture_height : kMaxTextureSide, why);
  if (!image) {
    std::fprintf(stderr, "veltra: cannot load texture \"%s\": %s\n", file, why.c_str());
    return nullptr;
  }
  SDL_Texture* texture = SDL_CreateTextureFromSurface(r, image);
  const int width = image->w, height = image->h;
  SDL_FreeSurface(image);
  if (!texture) {
    std::fprintf(stderr, "veltra: cannot load texture \"%s\" (%d x %d): %s\n", file, width, height, SDL_GetError());
    return nullptr;
  }
  SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_BLEND);
  // SDL's software rotation drops the last texel row and column when it
  // filters, so it samples the nearest texel; GPUs filter.
  SDL_SetTextureScaleMode(texture, sdl::softwareRenderer() ? SDL_ScaleModeNearest : SDL_ScaleModeLinear);
  return sdl::keep(Texture{texture, width, height, sdl::rendererId(), 0xFFFFFFFFu});
}

Sprite* createSprite() {
  if (!sdl::liveRenderer()) {
    std::fprintf(stderr, "veltra: cannot create a sprite: no device yet\n");
    return nullptr;
  }
  return sdl::keep(Sprite{identityMatrix()});
}

void spriteBegin(Sprite*) {}

void spriteSetTransform(Sprite* sprite, const Matrix& transform) {
  if (sprite) sprite->transform = transform;
}

void spriteDraw(Sprite* sprite, Texture* texture, std::uint32_t argb) {
  if (!sprite || !texture || !texture->texture) return;
  SDL_Renderer* r = sdl::liveRenderer();
  if (!r) return;
  if (texture->rendererId != sdl::rendererId()) {
    sdl::warnOnce("stale-texture", "a texture made on an earlier device is not drawn: load it again");
    return;
  }
  // SDL turns the destination rectangle about a centre given relative to it;
  // take the image's top-left corner, which the matrix sends to (m12, m13).
  const float* m = sprite->transform.m;
  const bool software = sdl::softwareRenderer();
  const double angle = settleAngle(std::atan2(static_cast<double>(m[1]), static_cast<double>(m[0])) * kRadToDeg);
  const double x = settle(m[12], software), y = settle(m[13], software);
  if (!(std::fabs(x) < kFarAway && std::fabs(y) < kFarAway) || !std::isfinite(angle)) return;

  setModulation(*texture, argb);
  const SDL_FRect dst{static_cast<float>(x), static_cast<float>(y), static_cast<float>(texture->width),
                      static_cast<float>(texture->height)};
  if (angle == 0.0) {
    SDL_RenderCopyF(r, texture->texture, nullptr, &dst);
  } else {
    const SDL_FPoint centre{0.0f, 0.0f};
    SDL_RenderCopyExF(r, texture->texture, nullptr, &dst, angle, &centre, SDL_FLIP_NONE);
  }
}

void spriteEnd(Sprite*) {}

}  // namespace platform

namespace sdl {
void releaseTexture(platform::Texture* texture) {
  if (!texture || !texture->texture) return;
  // A texture of a renderer that is gone went with it.
  if (liveRenderer() && texture->rendererId == rendererId()) SDL_DestroyTexture(texture->texture);
  texture->texture = nullptr;
}
}  // namespace sdl
}  // namespace veltra
