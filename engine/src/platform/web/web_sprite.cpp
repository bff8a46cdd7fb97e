// Web backend: sprites, each drawn as one quad turned about its pivot.
#include <cmath>

#include "platform/platform.h"
#include "platform/web/web_backend.h"

namespace veltra {
namespace platform {

// WebGL draws each quad on its own: a sprite is only a name for it.
struct Sprite {};

Sprite* createSprite(Why&) { return web::keep(Sprite{}); }

namespace {

// The turn's float rounding leaves noise of about 1e-5 pixel: drop it, so
// integer placements stay integer and sample texel centres exactly.
double settle(double v) {
  const double nearest = std::nearbyint(v);
  return std::fabs(v - nearest) < 1.0 / 1024 ? nearest : v;
}

// An angle within a hair of a right angle is one: cos(float(pi / 2)) is not 0.
void turn(double radians, double& c, double& s) {
  constexpr double kQuarter = 1.5707963267948966;
  const double quarters = std::nearbyint(radians / kQuarter);
  if (std::fabs(radians - quarters * kQuarter) < 1e-6) {
    const int q = static_cast<int>(std::fmod(quarters, 4.0) + 4) % 4;
    constexpr int kCos[] = {1, 0, -1, 0}, kSin[] = {0, 1, 0, -1};
    c = kCos[q], s = kSin[q];
    return;
  }
  c = std::cos(radians), s = std::sin(radians);
}

}  // namespace

void drawSprite(Sprite*, const SpriteDraw& d) {
  const Texture* texture = d.texture;
  double c = 1, s = 0;
  turn(d.radians, c, s);
  web::Quad q;
  // A corner of the source, from the pivot, scaled (a negative scale mirrors
  // about the pivot), turned, and put where the pivot lands.
  for (int corner = 0; corner < 4; ++corner) {
    const double u = (corner & 1) ? d.sourceWidth : 0, v = (corner & 2) ? d.sourceHeight : 0;
    const double dx = (u - d.pivotX) * d.scaleX, dy = (v - d.pivotY) * d.scaleY;
    q.x[corner] = static_cast<float>(settle(d.x + dx * c - dy * s));
    q.y[corner] = static_cast<float>(settle(d.y + dx * s + dy * c));
  }
  const Size size = textureSize(texture);
  q.u0 = static_cast<float>(static_cast<double>(d.sourceX) / size.width);
  q.v0 = static_cast<float>(static_cast<double>(d.sourceY) / size.height);
  q.u1 = static_cast<float>(static_cast<double>(d.sourceX + d.sourceWidth) / size.width);
  q.v1 = static_cast<float>(static_cast<double>(d.sourceY + d.sourceHeight) / size.height);
  web::drawQuad(web::textureId(texture), q, d.argb);
}

}  // namespace platform
}  // namespace veltra
