// SDL2 backend: textures from image files, and sprites drawn turned about
// their pivot.
#include <SDL.h>
#include <SDL_image.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "log.h"
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

struct Sprite {};

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

// A copy as SDL takes it: texels of the texture, and the rectangle they fill
// before it is turned about its top-left corner.
struct Copy {
  SDL_Rect source;
  double x, y, w, h;
};

// The pixels of the larger surface the software renderer makes for a copy
// of w x h turned by (c, s): the scaled copy, or the bounds of its turn.
double footprint(double w, double h, double c, double s) {
  const double turnedW = std::fabs(w * c) + std::fabs(h * s), turnedH = std::fabs(w * s) + std::fabs(h * c);
  return std::max(std::max(w, 1.0) * std::max(h, 1.0), std::max(turnedW, 1.0) * std::max(turnedH, 1.0));
}

// The software renderer scales a copy that reaches past the target, and turns
// or mirrors any copy, through surfaces the size of the whole destination, so
// a sprite scaled far past the screen would ask for gigabytes. Such a copy is
// cut, in whole texels, to those that can reach the target. Returns false
// when none can, or when even that is too large to pass that way.
bool cropToTarget(SDL_Renderer* r, Copy& copy, double c, double s, bool flipX, bool flipY) {
  int width = 0, height = 0;
  if (SDL_GetRendererOutputSize(r, &width, &height) != 0 || width <= 0 || height <= 0) return true;
  if (!(footprint(copy.w, copy.h, c, s) > 4.0 * width * height)) return true;
  // The target's corners in the copy's own frame, before its turn.
  double u0 = HUGE_VAL, v0 = HUGE_VAL, u1 = -HUGE_VAL, v1 = -HUGE_VAL;
  for (const int px : {0, width})
    for (const int py : {0, height}) {
      const double dx = px - copy.x, dy = py - copy.y;
      const double u = c * dx + s * dy, v = c * dy - s * dx;
      u0 = std::min(u0, u), u1 = std::max(u1, u), v0 = std::min(v0, v), v1 = std::max(v1, v);
    }
  const int columns = copy.source.w, rows = copy.source.h;
  if (columns <= 0 || rows <= 0) return false;
  const double perColumn = copy.w / columns, perRow = copy.h / rows;
  const int first = static_cast<int>(std::clamp(std::floor(u0 / perColumn), 0.0, static_cast<double>(columns)));
  const int last = static_cast<int>(std::clamp(std::ceil(u1 / perColumn), 0.0, static_cast<double>(columns)));
  const int top = static_cast<int>(std::clamp(std::floor(v0 / perRow), 0.0, static_cast<double>(rows)));
  const int bottom = static_cast<int>(std::clamp(std::ceil(v1 / perRow), 0.0, static_cast<double>(rows)));
  if (first >= last || top >= bottom) return false;
  const double w = (last - first) * perColumn, h = (bottom - top) * perRow;
  if (!(footprint(w, h, c, s) <= static_cast<double>(kMaxTextureSide) * kMaxTextureSide)) {
    warnOnce("sprite-too-large",
             "DrawEx: a sprite scaled so that one texel is %.3g x %.3g pixels is not drawn by the software renderer",
             perColumn, perRow);
    return false;
  }
  // A mirrored copy takes its texels from the other end of the part.
  copy.source.x += flipX ? columns - last : first;
  copy.source.y += flipY ? rows - bottom : top;
  copy.source.w = last - first;
  copy.source.h = bottom - top;
  const double u = first * perColumn, v = top * perRow;
  copy.x = std::nearbyint(copy.x + c * u - s * v);
  copy.y = std::nearbyint(copy.y + s * u + c * v);
  copy.w = w;
  copy.h = h;
  return true;
}

void setModulation(Texture& t, std::uint32_t argb) {
  if (t.modulation == argb) return;
  SDL_SetTextureColorMod(t.texture, (argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
  SDL_SetTextureAlphaMod(t.texture, argb >> 24);
  t.modulation = argb;
}

}  // namespace

Texture* loadTexture(const char* file, Why& why) {
  SDL_Renderer* r = sdl::liveRenderer();
  SDL_RendererInfo info;
  if (SDL_GetRendererInfo(r, &info) != 0) info.max_texture_width = info.max_texture_height = 0;
  SDL_Surface* image = sdl::decodeImage(file, info.max_texture_width > 0 ? info.max_texture_width : kMaxTextureSide,
                                        info.max_texture_height > 0 ? info.max_texture_height : kMaxTextureSide, why);
  if (!image) return nullptr;
  SDL_Texture* texture = SDL_CreateTextureFromSurface(r, image);
  const int width = image->w, height = image->h;
  SDL_FreeSurface(image);
  if (!texture) {
    why = std::to_string(width) + " x " + std::to_string(height) + " pixels: " + SDL_GetError();
    return nullptr;
  }
  SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_BLEND);
  // SDL's software rotation drops the last texel row and column when it
  // filters, so it samples the nearest texel; GPUs filter.
  SDL_SetTextureScaleMode(texture, sdl::softwareRenderer() ? SDL_ScaleModeNearest : SDL_ScaleModeLinear);
  return sdl::keep(Texture{texture, width, height, sdl::rendererId(), 0xFFFFFFFFu});
}

Size textureSize(const Texture* texture) { return texture->texture ? Size{texture->width, texture->height} : Size{}; }

bool madeOnThisDevice(const Texture* texture) { return texture->rendererId == sdl::rendererId(); }

// SDL_Renderer draws each copy on its own: a sprite is only a name for it.
Sprite* createSprite(Why&) { return sdl::keep(Sprite{}); }

void drawSprite(Sprite*, const SpriteDraw& d) {
  Texture& texture = *d.texture;
  SDL_Renderer* r = sdl::liveRenderer();
  if (!texture.texture || !r) return;
  // SDL flips the source within the destination rectangle, then turns that
  // rectangle about a centre given relative to it. Take its top-left corner,
  // which the turn about the pivot sends to position + R(angle) (0 - pivot),
  // with the pivot where a flip puts it.
  const bool flipX = d.scaleX < 0, flipY = d.scaleY < 0;
  const double sx = std::fabs(static_cast<double>(d.scaleX)), sy = std::fabs(static_cast<double>(d.scaleY));
  const double cx = (flipX ? d.sourceWidth - static_cast<double>(d.pivotX) : d.pivotX) * sx;
  const double cy = (flipY ? d.sourceHeight - static_cast<double>(d.pivotY) : d.pivotY) * sy;
  const double c = std::cos(static_cast<double>(d.radians)), s = std::sin(static_cast<double>(d.radians));
  const bool software = sdl::softwareRenderer();
  const double angle = settleAngle(d.radians * kRadToDeg);
  const double x = settle(d.x - (cx * c - cy * s), software);
  const double y = settle(d.y - (cx * s + cy * c), software);
  if (!(std::fabs(x) < kFarAway && std::fabs(y) < kFarAway) || !std::isfinite(angle)) return;

  Copy copy{{d.sourceX, d.sourceY, d.sourceWidth, d.sourceHeight}, x, y, d.sourceWidth * sx, d.sourceHeight * sy};
  bool whole = d.wholeTexture;
  if (software) {
    const double turn = angle / kRadToDeg;
    if (!cropToTarget(r, copy, std::cos(turn), std::sin(turn), flipX, flipY)) return;
    whole = whole && copy.source.w == d.sourceWidth && copy.source.h == d.sourceHeight;
  }
  setModulation(texture, d.argb);
  const SDL_Rect* part = whole ? nullptr : &copy.source;
  const SDL_FRect dst{static_cast<float>(copy.x), static_cast<float>(copy.y), static_cast<float>(copy.w),
                      static_cast<float>(copy.h)};
  const int flip = (flipX ? SDL_FLIP_HORIZONTAL : 0) | (flipY ? SDL_FLIP_VERTICAL : 0);
  if (angle == 0.0 && flip == 0) {
    SDL_RenderCopyF(r, texture.texture, part, &dst);
  } else {
    const SDL_FPoint centre{0.0f, 0.0f};
    SDL_RenderCopyExF(r, texture.texture, part, &dst, angle, &centre, static_cast<SDL_RendererFlip>(flip));
  }
}

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
