#include "helpers.h"

#include <cmath>

#include "fast_trig.h"
#include "veltra/veltra.h"

namespace veltra {

float offsetDirection(float dx, float dy) {
  const float t = atan2Rounded(dy, dx);
  return sp(static_cast<double>(t) / kPi * 180.0);
}

void lengthdirRadians(float length, float radians, float& x, float& y) {
  float s, c;
  sinCosRounded(radians, s, c);
  x = sp(static_cast<double>(c) * length);
  y = sp(static_cast<double>(s) * length);
}

float lengthdirX(float length, float direction) {
  const float c = cosRounded(degToRad(direction));
  return sp(static_cast<double>(c) * length);
}

float lengthdirY(float length, float direction) {
  const float s = sinRounded(degToRad(direction));
  return sp(static_cast<double>(s) * length);
}

}  // namespace veltra

float vLDegtorad(float degrees) { return veltra::degToRad(degrees); }

float vLPointDirection(vLVector2 a, vLVector2 b) { return veltra::pointDirection(a.x, a.y, b.x, b.y); }

float vLPointDistance(vLVector2 a, vLVector2 b) { return veltra::pointDistance(a.x, a.y, b.x, b.y); }

float vLLengthdirX(float length, float direction) { return veltra::lengthdirX(length, direction); }

float vLLengthdirY(float length, float direction) { return veltra::lengthdirY(length, direction); }

vLVector2 vLLengthdir(float length, float direction) {
  vLVector2 v{0, 0, 0};
  veltra::lengthdirRadians(length, veltra::degToRad(direction), v.x, v.y);
  return v;
}
