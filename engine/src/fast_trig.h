// atan2, sin and cos of a float, rounded to float, giving the very floats the
// C library's double functions give after rounding, at a fraction of the cost.
// A cheap double estimate with a proven error bound is returned when every
// value within the bound rounds to one float; otherwise the library decides.
#pragma once

namespace veltra {

// static_cast<float>(std::atan2(double(y), double(x))), bit for bit.
float atan2Rounded(float y, float x);
// static_cast<float>(std::sin(double(r))) and the same for cos, bit for bit.
// Where the library decides, sinCosRounded asks it for both at one place, as
// callers that need both always did: the compiler makes that one sincos call,
// whose NaN for an infinite r differs in sign from sin's on Windows.
void sinCosRounded(float r, float& s, float& c);
float sinRounded(float r);
float cosRounded(float r);

namespace detail {

// |true value - value| <= bound, the error of this code alone; the library's
// result may stray libraryBound further from the true value.
struct Estimate {
  double value;
  double bound;
  double libraryBound;
};

// False where no estimate is made: infinities, NaN, atan2 of two zeros, |r| > kSinCosLimit.
bool atan2Estimate(float y, float x, Estimate& t);
bool sinCosEstimate(float r, Estimate& s, Estimate& c);
constexpr float kSinCosLimit = 1.0e6f;

// The float the library's result rounds to, when the estimate settles it.
struct Settled {
  float value;
  bool known;
};
Settled atan2Fast(float y, float x);
void sinCosFast(float r, Settled& s, Settled& c);

}  // namespace detail
}  // namespace veltra
