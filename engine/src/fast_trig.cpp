#include "fast_trig.h"

#include <cmath>
#include <limits>

#include "helpers.h"

// Error analysis. u = 2^-53, the relative error of one rounded double step.
// Each estimate's own error is argued below to stay under kOwnRel = 2^-48 of
// the result (under 2^-49 in fact), plus a small absolute term for sin and
// cos. On top, the library may be off by kLibRel = 2^-46 of the result (64
// double ulps or more) and, for sin and cos, by |k| 2^-62 more, which covers one that
// reduces by pi/2 held to just 64 bits. If every double within that sum
// of the estimate rounds to one float, the true value and the library's both
// round to it: rounding to float is monotonic.
namespace veltra {
namespace detail {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kOwnRel = 0x1p-48;
constexpr double kLibRel = 0x1p-46;
constexpr double kLibPerQuadrant = 0x1p-62;
// v - w and v + w are rounded too, each by at most u |v|.
constexpr double kEndsRel = 0x1p-51;

constexpr double kHalfPi = 0x1.921fb54442d18p+0;  // within 2^-53.8 of pi/2
constexpr double kPiD = 0x1.921fb54442d18p+1;     // within 2^-52.8 of pi

// atan(i / 64), each the double nearest the true value.
constexpr double kAtanKnot[65] = {
    0x0.0p+0,
    0x1.fff555bbb729bp-7,
    0x1.ffd55bba97625p-6,
    0x1.7fb818430da2ap-5,
    0x1.ff55bb72cfdeap-5,
    0x1.3f59f0e7c559dp-4,
    0x1.7ee182602f10fp-4,
    0x1.be39ebe6f07c3p-4,
    0x1.fd5ba9aac2f6ep-4,
    0x1.1e1fafb043727p-3,
    0x1.3d6eee8c6626cp-3,
    0x1.5c9811e3ec26ap-3,
    0x1.7b97b4bce5b02p-3,
    0x1.9a6a8e96c8626p-3,
    0x1.b90d7529260a2p-3,
    0x1.d77d5df205736p-3,
    0x1.f5b75f92c80ddp-3,
    0x1.09dc597d86362p-2,
    0x1.18bf5a30bf178p-2,
    0x1.278372057ef46p-2,
    0x1.362773707ebccp-2,
    0x1.44aa436c2af0ap-2,
    0x1.530ad9951cd4ap-2,
    0x1.614840309cfe2p-2,
    0x1.6f61941e4def1p-2,
    0x1.7d5604b63b3f7p-2,
    0x1.8b24d394a1b25p-2,
    0x1.98cd5454d6b18p-2,
    0x1.a64eec3cc23fdp-2,
    0x1.b3a911da65c6cp-2,
    0x1.c0db4c94ec9f0p-2,
    0x1.cde53432c1351p-2,
    0x1.dac670561bb4fp-2,
    0x1.e77eb7f175a34p-2,
    0x1.f40dd0b541418p-2,
    0x1.0039c73c1a40cp-1,
    0x1.0657e94db30d0p-1,
    0x1.0c6145b5b43dap-1,
    0x1.1255d9bfbd2a9p-1,
    0x1.1835a88be7c13p-1,
    0x1.1e00babdefeb4p-1,
    0x1.23b71e2cc9e6ap-1,
    0x1.2958e59308e31p-1,
    0x1.2ee628406cbcap-1,
    0x1.345f01cce37bbp-1,
    0x1.39c391cd4171ap-1,
    0x1.3f13fb89e96f4p-1,
    0x1.445065b795b56p-1,
    0x1.4978fa3269ee1p-1,
    0x1.4e8de5bb6ec04p-1,
    0x1.538f57b89061fp-1,
    0x1.587d81f732fbbp-1,
    0x1.5d58987169b18p-1,
    0x1.6220d115d7b8ep-1,
    0x1.66d663923e087p-1,
    0x1.6b798920b3d99p-1,
    0x1.700a7c5784634p-1,
    0x1.748978fba8e0fp-1,
    0x1.78f6bbd5d315ep-1,
    0x1.7d528289fa093p-1,
    0x1.819d0b7158a4dp-1,
    0x1.85d69576cc2c5p-1,
    0x1.89ff5ff57f1f8p-1,
    0x1.8e17aa99cc05ep-1,
    0x1.921fb54442d18p-1,
};

// pi/2 = kP1 + kP2 + kP3 within 2^-122. kP1 and kP2 end in at least 20 zero
// bits, so k kP1 and k kP2 are exact for |k| < 2^20.
constexpr double kP1 = 0x1.921fb544p+0;
constexpr double kP2 = 0x1.0b4611a6p-34;
constexpr double kP3 = 0x1.3198a2e037073p-69;
constexpr double kTwoOverPi = 0x1.45f306dc9c883p-1;
// Adding and taking away 1.5 2^52 rounds a double below 2^51 to an integer.
constexpr double kRoundShift = 0x1.8p+52;

Settled settle(const Estimate& e) {
  const double w = e.bound + e.libraryBound + std::fabs(e.value) * kEndsRel;
  const float lo = sp(e.value - w), hi = sp(e.value + w);
  if (lo == hi && std::signbit(lo) == std::signbit(hi)) return {sp(e.value), true};
  return {0.0f, false};
}

}  // namespace

// With ay <= ax, q = ay / ax <= 1, off by u q: that moves atan(q) by at most
// 1.28 u of itself, since atan(q) >= (pi/4) q. The knot i = round(64 q),
// c = i / 64, leaves |q - c| <= 1/128, and atan(q) = atan(c) + atan(d) with
// d = (q - c) / (1 + q c), |d| <= 1/128:
// - q - c is exact (Sterbenz: c/2 <= q <= 2c for i >= 1, and c = 0 for i = 0);
//   the denominator costs 2u and the division u, so d is off by 3u of itself.
// - d - d^3/3 + d^5/5 - d^7/7 misses atan(d) by under d^9/9, below 2^-59 |d|;
//   the terms after d are under 2^-15 |d|, so their roundings are negligible
//   and the sum is off by u. atan(d) is thus off by under 4.1u |d|.
// - For i >= 1, atan(q) >= atan(c/2) >= atan(c)/2 and >= 0.9999 |d|; the
//   knot is off by u atan(c) <= 2u atan(q), the last sum by u.
// Altogether under 8.4u of atan(q). pi/2 - a (a <= pi/4) and then pi - a
// (a <= pi/2) each add their constant's error and one rounding, under 1.8u of
// a result >= pi/4 and >= pi/2: the total stays below 12u < 2^-49.4.
// Ratios of floats never under- or overflow a double (q >= 2^-277), so the
// estimate covers every pair of finite floats but two zeros. One zero gives
// q = 0 and a result of 0, pi/2 or pi with no rounding but the constant's.
bool atan2Estimate(float y, float x, Estimate& t) {
  const double ay = std::fabs(static_cast<double>(y)), ax = std::fabs(static_cast<double>(x));
  // Two zeros, infinities and NaN follow sign rules best left to the library.
  if (!(ay < kInf && ax < kInf && (ay > 0 || ax > 0))) return false;
  const bool steep = ay > ax;
  const double q = steep ? ax / ay : ay / ax;
  const int i = static_cast<int>(q * 64 + 0.5);
  const double c = i * (1.0 / 64);
  const double d = (q - c) / (1 + q * c);
  const double z = d * d;
  const double atanD = d + d * z * (-0x1.5555555555555p-2 + z * (0x1.999999999999ap-3 - z * 0x1.2492492492492p-3));
  double a = kAtanKnot[i] + atanD;
  if (steep) a = kHalfPi - a;
  if (x < 0) a = kPiD - a;
  if (std::signbit(y)) a = -a;
  t = {a, std::fabs(a) * kOwnRel, std::fabs(a) * kLibRel};
  return true;
}

// Reduction: x = r - k pi/2 with k = round(r 2/pi). For |r| <= 1e6, |k| < 2^20;
// r 2/pi is off by under 2^-33, so |x| <= pi/4 + 2^-32 < 0.7855.
// - r - k kP1 is exact: both are multiples of 2^-32 (k != 0 needs |r| > 0.78,
//   where the float r has steps of 2^-24 or more) and the difference is < 1.
// - The next two subtractions and k kP3 round by 2u |x| + 2^-120 |k| in all,
//   and the constants miss pi/2 by 2^-122 |k|: x is off by 2u |x| + 2^-119 |k|
//   (2^-100 |k| is allowed). That moves sin x by under 2.3u of sin x
//   (|x| <= 1.12 |sin x|) and cos x by under 1.6u of cos x (cos x >= 0.707).
// For k = 0, x = r exactly, so tiny and subnormal r keep a relative bound.
// Series on |x| < 0.7855, z = x^2 <= 0.617, by Horner: a sum of terms of
// alternating sign whose absolute values add up to at most 1.11 times the
// sum, so n roundings cost at most 1.11 n u of it.
// - sin through x^15 misses by under x^17/17!, 0.62u of sin x (sin x >= 0.9 x).
//   The terms after x, under 0.103 |x|, see 23 roundings: 2.8u of sin x. With
//   the last add and the reduction, under 6.8u < 2^-50.2.
// - cos through x^16 misses by under x^18/18!, 0.03u of cos x. z times the
//   rest, under 0.309, sees 24 roundings: 8.3u, or 11.7u of cos x. With the
//   last add and the reduction, under 14.4u < 2^-49.1.
bool sinCosEstimate(float r, Estimate& s, Estimate& c) {
  const double rd = r;
  if (!(std::fabs(rd) <= kSinCosLimit)) return false;
  const double k = (rd * kTwoOverPi + kRoundShift) - kRoundShift;
  const double x = ((rd - k * kP1) - k * kP2) - k * kP3;
  const double z = x * x;
  // x + (+0) would lose the sign of a zero r.
  const double sinX = x == 0
                          ? x
                          : x + x * z *
                                    (-0x1.5555555555555p-3 +
                                     z * (0x1.1111111111111p-7 +
                                          z * (-0x1.a01a01a01a01ap-13 +
                                               z * (0x1.71de3a556c734p-19 +
                                                    z * (-0x1.ae64567f544e4p-26 +
                                                         z * (0x1.6124613a86d09p-33 - z * 0x1.ae7f3e733b81fp-41))))));
  const double cosX =
      1 + z * (-0.5 + z * (0x1.5555555555555p-5 +
                           z * (-0x1.6c16c16c16c17p-10 +
                                z * (0x1.a01a01a01a01ap-16 +
                                     z * (-0x1.27e4fb7789f5cp-22 +
                                          z * (0x1.1eed8eff8d898p-29 +
                                               z * (-0x1.93974a8c07c9dp-37 + z * 0x1.ae7f3e733b81fp-45)))))));
  const double turns = std::fabs(k);
  const int quadrant = static_cast<int>(k) & 3;
  double sv = (quadrant & 1) ? cosX : sinX;
  double cv = (quadrant & 1) ? sinX : cosX;
  if (quadrant & 2) sv = -sv;
  if ((quadrant + 1) & 2) cv = -cv;
  const double own = turns * 0x1p-100, lib = turns * kLibPerQuadrant;
  s = {sv, std::fabs(sv) * kOwnRel + own, std::fabs(sv) * kLibRel + lib};
  c = {cv, std::fabs(cv) * kOwnRel + own, std::fabs(cv) * kLibRel + lib};
  return true;
}

Settled atan2Fast(float y, float x) {
  Estimate t;
  if (!atan2Estimate(y, x, t)) return {0.0f, false};
  return settle(t);
}

void sinCosFast(float r, Settled& s, Settled& c) {
  Estimate es, ec;
  if (!sinCosEstimate(r, es, ec)) {
    s = c = {0.0f, false};
    return;
  }
  s = settle(es);
  c = settle(ec);
}

}  // namespace detail

float atan2Rounded(float y, float x) {
  const detail::Settled t = detail::atan2Fast(y, x);
  return t.known ? t.value : sp(std::atan2(static_cast<double>(y), static_cast<double>(x)));
}

void sinCosRounded(float r, float& s, float& c) {
  detail::Settled fs, fc;
  detail::sinCosFast(r, fs, fc);
  if (fs.known && fc.known) {
    s = fs.value;
    c = fc.value;
    return;
  }
  // Both from the library, or the compiler calls cos alone where sin is known.
  s = sp(std::sin(static_cast<double>(r)));
  c = sp(std::cos(static_cast<double>(r)));
}

float sinRounded(float r) {
  detail::Settled fs, fc;
  detail::sinCosFast(r, fs, fc);
  return fs.known ? fs.value : sp(std::sin(static_cast<double>(r)));
}

float cosRounded(float r) {
  detail::Settled fs, fc;
  detail::sinCosFast(r, fs, fc);
  return fc.known ? fc.value : sp(std::cos(static_cast<double>(r)));
}

}  // namespace veltra
