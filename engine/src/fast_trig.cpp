#include "fast_trig.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "helpers.h"

// Error analysis. u = 2^-53, the relative error of one rounded double step.
// Each estimate's own error is argued below to stay under kOwnRel = 2^-47 of
// the result (under 2^-47.7 in fact), plus a tiny absolute term for sin and
// cos. On top, the library may be off by kLibRel = 2^-46 of the result (64
// double ulps or more) and, for sin and cos, by 2^-62 more per quarter turn
// of r, which covers one that reduces by pi/2 held to just 64 bits. If every
// double within that sum of the estimate rounds to one float, the true value
// and the library's both round to it: rounding to float is monotonic.
// Nothing branches on the data but the rare cases, so random directions cost
// no mispredictions, and the steps are grouped so that few wait on each other.
namespace veltra {
namespace detail {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kOwnRel = 0x1p-47;
constexpr double kLibRel = 0x1p-46;
// v - w and v + w are rounded too, each by at most u |v|.
constexpr double kEndsRel = 0x1p-51;
constexpr double kSlackRel = kOwnRel + kLibRel + kEndsRel;

// atan(i / 128), each the double nearest the true value.
// clang-format off
constexpr double kAtanKnot[129] = {
    0x0.0p+0, 0x1.fffd555bbba97p-8, 0x1.fff555bbb729bp-7, 0x1.7fee0184a5c36p-6,
    0x1.ffd55bba97625p-6, 0x1.3fd65f169c9d9p-5, 0x1.7fb818430da2ap-5, 0x1.bf8ddf139c444p-5,
    0x1.ff55bb72cfdeap-5, 0x1.1f86dbf082d59p-4, 0x1.3f59f0e7c559dp-4, 0x1.5f2324fd2d7b2p-4,
    0x1.7ee182602f10fp-4, 0x1.9e94153cfdcf1p-4, 0x1.be39ebe6f07c3p-4, 0x1.ddd21701eba6ep-4,
    0x1.fd5ba9aac2f6ep-4, 0x1.0e6adccf40882p-3, 0x1.1e1fafb043727p-3, 0x1.2dcbdb2fba1ffp-3,
    0x1.3d6eee8c6626cp-3, 0x1.4d087a9da4f17p-3, 0x1.5c9811e3ec26ap-3, 0x1.6c1d4898933d9p-3,
    0x1.7b97b4bce5b02p-3, 0x1.8b06ee2879c29p-3, 0x1.9a6a8e96c8626p-3, 0x1.a9c231b403279p-3,
    0x1.b90d7529260a2p-3, 0x1.c84bf8a742e6ep-3, 0x1.d77d5df205736p-3, 0x1.e6a148e96ec4dp-3,
    0x1.f5b75f92c80ddp-3, 0x1.025fa510665b6p-2, 0x1.09dc597d86362p-2, 0x1.1151a362431cap-2,
    0x1.18bf5a30bf178p-2, 0x1.2025567e47c96p-2, 0x1.278372057ef46p-2, 0x1.2ed987a823cfep-2,
    0x1.362773707ebccp-2, 0x1.3d6d129271134p-2, 0x1.44aa436c2af0ap-2, 0x1.4bdee586890e7p-2,
    0x1.530ad9951cd4ap-2, 0x1.5a2e0175e0f4ep-2, 0x1.614840309cfe2p-2, 0x1.685979f5fa6fep-2,
    0x1.6f61941e4def1p-2, 0x1.7660752817502p-2, 0x1.7d5604b63b3f7p-2, 0x1.84422b8df95d7p-2,
    0x1.8b24d394a1b25p-2, 0x1.91fde7cd0c662p-2, 0x1.98cd5454d6b18p-2, 0x1.9f93066168002p-2,
    0x1.a64eec3cc23fdp-2, 0x1.ad00f5422058bp-2, 0x1.b3a911da65c6cp-2, 0x1.ba473378624a5p-2,
    0x1.c0db4c94ec9f0p-2, 0x1.c76550aad71f9p-2, 0x1.cde53432c1351p-2, 0x1.d45aec9ec862bp-2,
    0x1.dac670561bb4fp-2, 0x1.e127b6b0744b0p-2, 0x1.e77eb7f175a34p-2, 0x1.edcb6d43f8435p-2,
    0x1.f40dd0b541418p-2, 0x1.fa45dd3029259p-2, 0x1.0039c73c1a40cp-1, 0x1.034b709250488p-1,
    0x1.0657e94db30d0p-1, 0x1.095f30861a590p-1, 0x1.0c6145b5b43dap-1, 0x1.0f5e28b67e295p-1,
    0x1.1255d9bfbd2a9p-1, 0x1.154859637646ap-1, 0x1.1835a88be7c13p-1, 0x1.1b1dc87904285p-1,
    0x1.1e00babdefeb4p-1, 0x1.20de813e823b2p-1, 0x1.23b71e2cc9e6ap-1, 0x1.268a940696da6p-1,
    0x1.2958e59308e31p-1, 0x1.2c2215e024466p-1, 0x1.2ee628406cbcap-1, 0x1.31a52048874bep-1,
    0x1.345f01cce37bbp-1, 0x1.3713d0df6c504p-1, 0x1.39c391cd4171ap-1, 0x1.3c6e491c78dc5p-1,
    0x1.3f13fb89e96f4p-1, 0x1.41b4ae06fea41p-1, 0x1.445065b795b56p-1, 0x1.46e727efe4716p-1,
    0x1.4978fa3269ee1p-1, 0x1.4c05e22de94e5p-1, 0x1.4e8de5bb6ec04p-1, 0x1.51110adc5ed81p-1,
    0x1.538f57b89061fp-1, 0x1.5608d29c70c34p-1, 0x1.587d81f732fbbp-1, 0x1.5aed6c5909517p-1,
    0x1.5d58987169b18p-1, 0x1.5fbf0d0d5cc4ap-1, 0x1.6220d115d7b8ep-1, 0x1.647deb8e20b90p-1,
    0x1.66d663923e087p-1, 0x1.692a40556fb6ap-1, 0x1.6b798920b3d99p-1, 0x1.6dc44551553afp-1,
    0x1.700a7c5784634p-1, 0x1.724c35b4fae7bp-1, 0x1.748978fba8e0fp-1, 0x1.76c24dcc6c6c0p-1,
    0x1.78f6bbd5d315ep-1, 0x1.7b26cad2e50fep-1, 0x1.7d528289fa093p-1, 0x1.7f79eacb97898p-1,
    0x1.819d0b7158a4dp-1, 0x1.83bbec5cdee22p-1, 0x1.85d69576cc2c5p-1, 0x1.87ed0eadc5a2ap-1,
    0x1.89ff5ff57f1f8p-1, 0x1.8c0d9145cf49dp-1, 0x1.8e17aa99cc05ep-1, 0x1.901db3eeef187p-1,
    0x1.921fb54442d18p-1};
// clang-format on

// Indexed by steep + 2 (x < 0): the result is kTurnAdd + kTurnSign atan(q).
// pi/2 and pi are the nearest doubles, within 2^-53.8 and 2^-52.8.
constexpr double kTurnAdd[4] = {0.0, 0x1.921fb54442d18p+0, 0x1.921fb54442d18p+1, 0x1.921fb54442d18p+0};
constexpr double kTurnSign[4] = {1.0, -1.0, -1.0, 1.0};

// pi/32 = kStep1 + kStep2 within 2^-89.6. kStep1 has 27 bits, so k kStep1 is
// exact for |k| < 2^26.
constexpr double kStep1 = 0x1.921fb54p-4;
constexpr double kStep2 = 0x1.10b4611a62633p-34;
constexpr double kStepsPerRadian = 0x1.45f306dc9c883p+3;  // 32/pi
// Adding and taking away 1.5 2^52 rounds a double below 2^51 to an integer.
constexpr double kRoundShift = 0x1.8p+52;
// What the library may miss by per step of pi/32 (2^-62 a quarter turn), and
// what the reduction here may.
constexpr double kLibPerStep = 0x1p-66;
constexpr double kOwnPerStep = 0x1p-85;

// sin and cos of j pi/32, the nearest doubles; 0, 1 and -1 are exact. The -0
// of sin 0 keeps the sign of sin(-0) in sin(a + x) = cos a sin x + sin a cos x.
struct SinCosPair {
  double s, c;
};
// clang-format off
constexpr SinCosPair kStepSinCos[64] = {
    {-0.0, 0x1.0000000000000p+0}, {0x1.917a6bc29b42cp-4, 0x1.fd88da3d12526p-1},
    {0x1.8f8b83c69a60bp-3, 0x1.f6297cff75cb0p-1}, {0x1.294062ed59f06p-2, 0x1.e9f4156c62ddap-1},
    {0x1.87de2a6aea963p-2, 0x1.d906bcf328d46p-1}, {0x1.e2b5d3806f63bp-2, 0x1.c38b2f180bdb1p-1},
    {0x1.1c73b39ae68c8p-1, 0x1.a9b66290ea1a3p-1}, {0x1.44cf325091dd6p-1, 0x1.8bc806b151741p-1},
    {0x1.6a09e667f3bcdp-1, 0x1.6a09e667f3bcdp-1}, {0x1.8bc806b151741p-1, 0x1.44cf325091dd6p-1},
    {0x1.a9b66290ea1a3p-1, 0x1.1c73b39ae68c8p-1}, {0x1.c38b2f180bdb1p-1, 0x1.e2b5d3806f63bp-2},
    {0x1.d906bcf328d46p-1, 0x1.87de2a6aea963p-2}, {0x1.e9f4156c62ddap-1, 0x1.294062ed59f06p-2},
    {0x1.f6297cff75cb0p-1, 0x1.8f8b83c69a60bp-3}, {0x1.fd88da3d12526p-1, 0x1.917a6bc29b42cp-4},
    {0x1.0000000000000p+0, 0.0}, {0x1.fd88da3d12526p-1, -0x1.917a6bc29b42cp-4},
    {0x1.f6297cff75cb0p-1, -0x1.8f8b83c69a60bp-3}, {0x1.e9f4156c62ddap-1, -0x1.294062ed59f06p-2},
    {0x1.d906bcf328d46p-1, -0x1.87de2a6aea963p-2}, {0x1.c38b2f180bdb1p-1, -0x1.e2b5d3806f63bp-2},
    {0x1.a9b66290ea1a3p-1, -0x1.1c73b39ae68c8p-1}, {0x1.8bc806b151741p-1, -0x1.44cf325091dd6p-1},
    {0x1.6a09e667f3bcdp-1, -0x1.6a09e667f3bcdp-1}, {0x1.44cf325091dd6p-1, -0x1.8bc806b151741p-1},
    {0x1.1c73b39ae68c8p-1, -0x1.a9b66290ea1a3p-1}, {0x1.e2b5d3806f63bp-2, -0x1.c38b2f180bdb1p-1},
    {0x1.87de2a6aea963p-2, -0x1.d906bcf328d46p-1}, {0x1.294062ed59f06p-2, -0x1.e9f4156c62ddap-1},
    {0x1.8f8b83c69a60bp-3, -0x1.f6297cff75cb0p-1}, {0x1.917a6bc29b42cp-4, -0x1.fd88da3d12526p-1},
    {0.0, -0x1.0000000000000p+0}, {-0x1.917a6bc29b42cp-4, -0x1.fd88da3d12526p-1},
    {-0x1.8f8b83c69a60bp-3, -0x1.f6297cff75cb0p-1}, {-0x1.294062ed59f06p-2, -0x1.e9f4156c62ddap-1},
    {-0x1.87de2a6aea963p-2, -0x1.d906bcf328d46p-1}, {-0x1.e2b5d3806f63bp-2, -0x1.c38b2f180bdb1p-1},
    {-0x1.1c73b39ae68c8p-1, -0x1.a9b66290ea1a3p-1}, {-0x1.44cf325091dd6p-1, -0x1.8bc806b151741p-1},
    {-0x1.6a09e667f3bcdp-1, -0x1.6a09e667f3bcdp-1}, {-0x1.8bc806b151741p-1, -0x1.44cf325091dd6p-1},
    {-0x1.a9b66290ea1a3p-1, -0x1.1c73b39ae68c8p-1}, {-0x1.c38b2f180bdb1p-1, -0x1.e2b5d3806f63bp-2},
    {-0x1.d906bcf328d46p-1, -0x1.87de2a6aea963p-2}, {-0x1.e9f4156c62ddap-1, -0x1.294062ed59f06p-2},
    {-0x1.f6297cff75cb0p-1, -0x1.8f8b83c69a60bp-3}, {-0x1.fd88da3d12526p-1, -0x1.917a6bc29b42cp-4},
    {-0x1.0000000000000p+0, 0.0}, {-0x1.fd88da3d12526p-1, 0x1.917a6bc29b42cp-4},
    {-0x1.f6297cff75cb0p-1, 0x1.8f8b83c69a60bp-3}, {-0x1.e9f4156c62ddap-1, 0x1.294062ed59f06p-2},
    {-0x1.d906bcf328d46p-1, 0x1.87de2a6aea963p-2}, {-0x1.c38b2f180bdb1p-1, 0x1.e2b5d3806f63bp-2},
    {-0x1.a9b66290ea1a3p-1, 0x1.1c73b39ae68c8p-1}, {-0x1.8bc806b151741p-1, 0x1.44cf325091dd6p-1},
    {-0x1.6a09e667f3bcdp-1, 0x1.6a09e667f3bcdp-1}, {-0x1.44cf325091dd6p-1, 0x1.8bc806b151741p-1},
    {-0x1.1c73b39ae68c8p-1, 0x1.a9b66290ea1a3p-1}, {-0x1.e2b5d3806f63bp-2, 0x1.c38b2f180bdb1p-1},
    {-0x1.87de2a6aea963p-2, 0x1.d906bcf328d46p-1}, {-0x1.294062ed59f06p-2, 0x1.e9f4156c62ddap-1},
    {-0x1.8f8b83c69a60bp-3, 0x1.f6297cff75cb0p-1}, {-0x1.917a6bc29b42cp-4, 0x1.fd88da3d12526p-1}};
// clang-format on

struct SinCosValues {
  double s, c, steps;
};

// With ay <= ax, the result is a turn of atan(q), q = ay / ax <= 1. The knot
// i = round(128 ay / ax), c = i / 128, leaves |q - c| <= 1/256 (a hair more
// for the rounded division), and atan(q) = atan(c) + atan(d) with
// d = (ay - c ax) / (ax + c ay), |d| <= 1/256:
// - c ax and c ay are exact (8 bits times 24). For i >= 1, ay and c ax are
//   multiples of ulp(ay) / 2^7 and below 2^9 ay, so ay - c ax is exact; the
//   denominator's sum and the division cost 2u of d.
// - d - d^3/3 + d^5/5 misses atan(d) by under d^7/7, 4.6u |d|; the terms after
//   d are under 2^-17 |d|, so their roundings are negligible, and the sum is
//   off by u. atan(d) is thus off by under 7.7u |d|.
// - For i >= 1, atan(q) >= atan(c/2) >= atan(c)/2 and >= 0.99999 |d|; the
//   knot is off by u atan(c) <= 2u atan(q), the last sum by u: 10.7u at most.
// - A turn first forms pi/2 - knot, pi - knot or pi/2 + knot, off by the
//   constant's 1.15u at most, the knot's u and one rounding; the result,
//   >= 0.78, takes atan(d) (< 1/256, so its error is negligible here) and one
//   more rounding: under 4.6u.
// So below 10.7u < 2^-49.5 of the result.
// Ratios of floats never under- or overflow a double (q >= 2^-277), so the
// estimate covers every pair of finite floats but two zeros. One zero gives
// d = 0 and a result of 0, pi/2 or pi with no rounding but the constant's.
inline bool atan2Value(float y, float x, double& a) {
  const double ay = std::fabs(static_cast<double>(y)), ax = std::fabs(static_cast<double>(x));
  // Two zeros, infinities and NaN follow sign rules best left to the library.
  if (!(ay < kInf && ax < kInf && (ay > 0 || ax > 0))) return false;
  const bool steep = ay > ax;
  const double lo = steep ? ax : ay, hi = steep ? ay : ax;
  // The knot need only be near q: a float division is quicker and off by 2^-24.
  const int i = static_cast<int>(static_cast<float>(lo) / static_cast<float>(hi) * 128.0f + 0.5f);
  const double c = i * (1.0 / 128);
  const int turn = static_cast<int>(steep) + 2 * static_cast<int>(x < 0);
  // base + sign atan(d) = base + atan(sign d): the turn's sign goes on d while
  // the divisions run. Negation is exact and the series odd, so the value is
  // the same. The sign of y waits to the end for the sake of signed zeros.
  const double sign = kTurnSign[turn];
  const double d = (sign * lo - c * (sign * hi)) / (hi + c * lo);
  const double z = d * d;
  const double atanD = d + d * z * (-0x1.5555555555555p-2 + z * 0x1.999999999999ap-3);
  a = std::copysign((kTurnAdd[turn] + sign * kAtanKnot[i]) + atanD, static_cast<double>(y));
  return true;
}

// Reduction: r = a + x, a = k pi/32, k = round(r 32/pi). For |r| <= 1e6,
// |k| < 2^24; r 32/pi is off by under 2^-28, so |x| <= pi/64 + 2^-28 < 0.04909.
// - r - k kStep1 is exact: both are multiples of 2^-30 (k != 0 needs
//   |r| > 0.049, where the float r has steps of 2^-28 or more) and the
//   difference is < 1. Taking k kStep2 off rounds twice, and kStep2 is off by
//   2^-89.6: x is off by u |x| + 2^-86 |k|.
// - sin x = x (A + z^2 B), A = 1 + c3 z, B = c5 + c7 z, z = x^2, misses by
//   under x^9/9!, 0.84u of sin x. c3 z is under 4.1e-4 and z^2 B under 1e-7,
//   so their roundings are negligible; A, the sum and the product cost 3u:
//   under 3.9u.
// - cos x = A' + z^2 B', A' = 1 - z/2, B' = c4 + c6 z, misses by under
//   x^8/8!, 7.6u of cos x; A' and the sum cost 2u: under 9.7u.
// - Each of cos a sin x and sin a cos x takes the table's u and a product's u
//   on top. Their absolute values add up to at most 3 times the result's
//   (worst for a = pi/32, x = -pi/64: sin(3pi/64) / sin(pi/64)) unless one of
//   them is exactly 0, and the sum rounds once: under 3 (9.7u + 2u) + u.
//   The error of x moves the result by at most u |x| <= 1.0004 u of it.
// In all under 37.2u < 2^-47.7 of the result, plus 2^-86 |k|.
// For k = 0, x = r exactly, so tiny and subnormal r keep a relative bound.
inline bool sinCosValues(float r, SinCosValues& v) {
  const double rd = r;
  if (!(std::fabs(rd) <= kSinCosLimit)) return false;
  const double k = (rd * kStepsPerRadian + kRoundShift) - kRoundShift;
  const double x = (rd - k * kStep1) - k * kStep2;
  const double z = x * x, z2 = z * z;
  // sin x / x and cos x; x joins the table's values while these are summed.
  const double sinXOverX = (1 + z * -0x1.5555555555555p-3) + z2 * (0x1.1111111111111p-7 - z * 0x1.a01a01a01a01ap-13);
  const double cosX = (1 - z * 0.5) + z2 * (0x1.5555555555555p-5 - z * 0x1.6c16c16c16c17p-10);
  const SinCosPair& a = kStepSinCos[static_cast<int>(k) & 63];
  v = {(a.c * x) * sinXOverX + a.s * cosX, a.c * cosX - (a.s * x) * sinXOverX, std::fabs(k)};
  return true;
}

std::uint32_t bits(float f) {
  std::uint32_t b;
  std::memcpy(&b, &f, sizeof b);
  return b;
}

inline Settled settle(double v, double w) { return {sp(v), bits(sp(v - w)) == bits(sp(v + w))}; }
inline Settled settleAtan2(double a) { return settle(a, std::fabs(a) * kSlackRel); }
inline Settled settleSinCos(double v, double steps) {
  return settle(v, std::fabs(v) * kSlackRel + steps * (kOwnPerStep + kLibPerStep));
}

}  // namespace

bool atan2Estimate(float y, float x, Estimate& t) {
  double a;
  if (!atan2Value(y, x, a)) return false;
  t = {a, std::fabs(a) * kOwnRel, std::fabs(a) * kLibRel};
  return true;
}

bool sinCosEstimate(float r, Estimate& s, Estimate& c) {
  SinCosValues v;
  if (!sinCosValues(r, v)) return false;
  s = {v.s, std::fabs(v.s) * kOwnRel + v.steps * kOwnPerStep, std::fabs(v.s) * kLibRel + v.steps * kLibPerStep};
  c = {v.c, std::fabs(v.c) * kOwnRel + v.steps * kOwnPerStep, std::fabs(v.c) * kLibRel + v.steps * kLibPerStep};
  return true;
}

Settled atan2Fast(float y, float x) {
  double a;
  if (!atan2Value(y, x, a)) return {0.0f, false};
  return settleAtan2(a);
}

void sinCosFast(float r, Settled& s, Settled& c) {
  SinCosValues v;
  if (!sinCosValues(r, v)) {
    s = c = {0.0f, false};
    return;
  }
  s = settleSinCos(v.s, v.steps);
  c = settleSinCos(v.c, v.steps);
}

}  // namespace detail

float atan2Rounded(float y, float x) {
  const detail::Settled t = detail::atan2Fast(y, x);
  if (t.known) return t.value;
  return sp(std::atan2(static_cast<double>(y), static_cast<double>(x)));
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

namespace {
// One of sine and cosine, `part` of the estimate: settled only for that one,
// so a cosine that settles needs no library call for a sine that does not.
template <typename Library>
float oneRounded(float r, double detail::SinCosValues::*part, Library library) {
  detail::SinCosValues v;
  if (detail::sinCosValues(r, v)) {
    const detail::Settled f = detail::settleSinCos(v.*part, v.steps);
    if (f.known) return f.value;
  }
  return sp(library(static_cast<double>(r)));
}
}  // namespace

float sinRounded(float r) {
  return oneRounded(r, &detail::SinCosValues::s, [](double x) { return std::sin(x); });
}

float cosRounded(float r) {
  return oneRounded(r, &detail::SinCosValues::c, [](double x) { return std::cos(x); });
}

}  // namespace veltra
