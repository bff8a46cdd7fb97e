// The rounding rule of the helpers and the physics: each step is computed in
// double precision and rounded once to float. Everything that rounds calls these.
#pragma once

#include <cmath>

namespace veltra {

// The single-precision pi, used at double precision.
constexpr double kPi = static_cast<double>(3.1415927f);

inline float sp(double value) { return static_cast<float>(value); }

// Inline, as the separation pass runs them for every pair it tries.
inline float degToRad(float degrees) { return sp(static_cast<double>(degrees) * kPi / 180.0); }

// The length and the direction (degrees) of an offset whose components are
// already rounded: the two halves of pointDistance and pointDirection, for
// callers that need both of one offset.
inline float offsetLength(float dx, float dy) {
  const float sx = sp(static_cast<double>(dx) * dx);
  const float sy = sp(static_cast<double>(dy) * dy);
  const float s = sp(static_cast<double>(sx) + sy);
  return sp(std::sqrt(static_cast<double>(s)));
}
float offsetDirection(float dx, float dy);

inline float pointDistance(float ax, float ay, float bx, float by) {
  return offsetLength(sp(static_cast<double>(bx) - ax), sp(static_cast<double>(by) - ay));
}
inline float pointDirection(float ax, float ay, float bx, float by) {
  return offsetDirection(sp(static_cast<double>(bx) - ax), sp(static_cast<double>(by) - ay));
}
// length * cos(direction), length * sin(direction), each rounded by the rule.
float lengthdirX(float length, float direction);
float lengthdirY(float length, float direction);
// Both components from an angle already in radians.
void lengthdirRadians(float length, float radians, float& x, float& y);

}  // namespace veltra
