// vLDevice::DrawEx: part of a texture, scaled, turned and tinted. What cannot
// be drawn sensibly is refused here, once per cause, so every backend gets
// only finite numbers and a source within its texture.
#include <cmath>

#include "device.h"
#include "helpers.h"
#include "log.h"
#include "platform/platform.h"
#include "tables.h"
#include "veltra/veltra.h"

namespace veltra {
namespace {

// Beyond this many pixels a side no target shows anything sensible, and
// integer rectangle maths in the backends would overflow.
constexpr double kMaxExtent = 16777216.0;

bool finite(vLVector2 v) { return std::isfinite(v.x) && std::isfinite(v.y); }

// One edge of the source, in whole texels, within 0..limit.
int clampedEdge(double edge, int limit) {
  const double nearest = std::floor(edge + 0.5);
  return nearest <= 0 ? 0 : nearest >= limit ? limit : static_cast<int>(nearest);
}

// The part of the texture to draw, with the pivot moved as far as the clip
// moved the source's top-left corner; false when nothing sensible is left.
bool clipSource(const vLRect& source, platform::Size size, platform::SpriteDraw& d) {
  if (source.w < 0 || source.h < 0) {
    warnOnce("drawex-negative-source", "DrawEx: a source rectangle of negative size (%g x %g) draws nothing", source.w,
             source.h);
    return false;
  }
  const bool whole = source.w == 0 || source.h == 0;
  const double x = whole ? 0 : source.x, y = whole ? 0 : source.y;
  const double right = whole ? size.width : x + source.w, bottom = whole ? size.height : y + source.h;
  const int left = clampedEdge(x, size.width), top = clampedEdge(y, size.height);
  d.sourceX = left, d.sourceY = top;
  d.sourceWidth = clampedEdge(right, size.width) - left;
  d.sourceHeight = clampedEdge(bottom, size.height) - top;
  if (d.sourceWidth <= 0 || d.sourceHeight <= 0) {
    warnOnce("drawex-outside", "DrawEx: the source (%g, %g, %g x %g) lies outside the %d x %d texture: nothing drawn",
             source.x, source.y, source.w, source.h, size.width, size.height);
    return false;
  }
  d.pivotX = sp(static_cast<double>(d.pivotX) - (left - x));
  d.pivotY = sp(static_cast<double>(d.pivotY) - (top - y));
  d.wholeTexture = left == 0 && top == 0 && d.sourceWidth == size.width && d.sourceHeight == size.height;
  return true;
}

}  // namespace
}  // namespace veltra

using namespace veltra;

void vLDevice::DrawEx(vLMaterial material, vLVector2 position, vLVector2 pivot, float angle, vLVector2 scale,
                      vLRect source, int red, int green, int blue, int alpha) {
  platform::Sprite* sprite = spriteTable().at(material.sprite, "DrawEx");
  platform::Texture* slot = textureTable().at(material.texture, "DrawEx");
  platform::Texture* texture = sprite ? drawableTexture(slot) : nullptr;
  if (!texture || (alpha & 0xFF) == 0 || scale.x == 0 || scale.y == 0) return;
  if (!finite(position) || !finite(pivot) || !finite(scale) || !std::isfinite(angle) || !std::isfinite(source.x) ||
      !std::isfinite(source.y) || !std::isfinite(source.w) || !std::isfinite(source.h)) {
    warnOnce("drawex-not-finite",
             "DrawEx: a position, pivot, angle, scale or source that is not a finite number "
             "draws nothing");
    return;
  }
  const std::uint32_t argb =
      (static_cast<std::uint32_t>(alpha) & 0xFFu) << 24 | (packColour(red, green, blue) & 0xFFFFFFu);
  platform::SpriteDraw d{texture, position.x, position.y, pivot.x, pivot.y, degToRad(angle), scale.x, scale.y, 0,
                         0,       0,          0,          argb,    true};
  if (!clipSource(source, platform::textureSize(texture), d)) return;
  if (std::fabs(static_cast<double>(scale.x)) * d.sourceWidth > kMaxExtent ||
      std::fabs(static_cast<double>(scale.y)) * d.sourceHeight > kMaxExtent) {
    warnOnce("drawex-huge", "DrawEx: a sprite scaled beyond %.0f pixels a side draws nothing", kMaxExtent);
    return;
  }
  platform::drawSprite(sprite, d);
}
