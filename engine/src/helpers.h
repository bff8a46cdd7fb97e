// The rounding rule of the helpers and the physics: each step is computed in
// double precision and rounded once to float. Everything that rounds calls these.
#pragma once

namespace veltra {

// The single-precision pi, used at double precision.
constexpr double kPi = static_cast<double>(3.1415927f);

inline float sp(double value) { return static_cast<float>(value); }

float degToRad(float degrees);
float pointDirection(float ax, float ay, float bx, float by);
float pointDistance(float ax, float ay, float bx, float by);
// length * cos(direction), length * sin(direction), each rounded by the rule.
float lengthdirX(float length, float direction);
float lengthdirY(float length, float direction);
// Both components from an angle already in radians.
void lengthdirRadians(float length, float radians, float& x, float& y);

}  // namespace veltra
