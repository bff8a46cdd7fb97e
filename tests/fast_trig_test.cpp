#include "fast_trig.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <sstream>
#include <vector>

#include "float_bits.h"

namespace {
using veltra::atan2Rounded;
using veltra::sinCosRounded;

float libAtan2(float y, float x) {
  return static_cast<float>(std::atan2(static_cast<double>(y), static_cast<double>(x)));
}
float libSin(float r) { return static_cast<float>(std::sin(static_cast<double>(r))); }
float libCos(float r) { return static_cast<float>(std::cos(static_cast<double>(r))); }

// Counts the inputs that differ and keeps the first few, not thousands.
class Mismatches {
 public:
  Mismatches() { first_.precision(9); }
  void atan2(float y, float x) {
    ++cases_;
    const float got = atan2Rounded(y, x), want = libAtan2(y, x);
    if (bits(got) != bits(want)) note() << "atan2(" << y << ", " << x << ") = " << got << ", library " << want;
  }
  // Asked for together, the compiler fetches both with one sincos call.
  void sinCos(float r) {
    ++cases_;
    float s, c;
    sinCosRounded(r, s, c);
    const float ws = libSin(r), wc = libCos(r);
    if (bits(s) != bits(ws) || bits(c) != bits(wc))
      note() << "sincos(" << r << ") = " << s << ", " << c << ", library " << ws << ", " << wc;
  }
  void sin(float r) {
    ++cases_;
    const float got = veltra::sinRounded(r), want = libSin(r);
    if (bits(got) != bits(want)) note() << "sin(" << r << ") = " << got << ", library " << want;
  }
  void cos(float r) {
    ++cases_;
    const float got = veltra::cosRounded(r), want = libCos(r);
    if (bits(got) != bits(want)) note() << "cos(" << r << ") = " << got << ", library " << want;
  }
  long cases() const { return cases_; }
  ~Mismatches() { EXPECT_EQ(count_, 0) << "of " << cases_ << " cases, first:" << first_.str(); }

 private:
  std::ostream& note() {
    ++count_;
    if (count_ > 10) {
      rest_.str("");
      return rest_;
    }
    first_ << "\n  ";
    return first_;
  }
  long cases_ = 0, count_ = 0;
  std::ostringstream first_, rest_;
};

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kMinSub = std::numeric_limits<float>::denorm_min();
constexpr float kMinNormal = std::numeric_limits<float>::min();
constexpr float kMax = std::numeric_limits<float>::max();

// A float of random bits that is not NaN.
float randomFloat(std::mt19937& rng) {
  for (;;) {
    const float f = fromBits(static_cast<std::uint32_t>(rng()));
    if (!std::isnan(f)) return f;
  }
}
float logUniform(std::mt19937& rng, float lo, float hi) {
  std::uniform_real_distribution<double> e(std::log(lo), std::log(hi));
  return static_cast<float>(std::exp(e(rng)));
}
}  // namespace

TEST(FastTrig, Atan2MatchesTheLibraryBitForBit) {
  Mismatches m;
  std::mt19937 rng(2024);
  auto all = [&](float y, float x) {
    for (float sy : {1.0f, -1.0f})
      for (float sx : {1.0f, -1.0f}) {
        m.atan2(sy * y, sx * x);
      }
  };
  // Zeros, axes, subnormals, the ends of the range, infinities and NaN, in every sign.
  const float edges[] = {0.0f, kMinSub, 3 * kMinSub, kMinNormal, 1e-30f, 1e-10f, 0.5f,
                         1,    3,       1e10f,       1e30f,      kMax,   kInf,   kNaN};
  for (float y : edges)
    for (float x : edges) all(y, x);
  // |y| == |x|, and one float either side of it.
  for (int i = 0; i < 20000; ++i) {
    const float a = logUniform(rng, 1e-30f, 1e30f);
    all(a, a);
    all(std::nextafter(a, 0.0f), a);
    all(a, std::nextafter(a, 0.0f));
  }
  // Ratios on and between the table's knots, nudged by a few floats.
  for (int i = 0; i <= 128; ++i) {
    for (int j = 0; j < 60; ++j) {
      const float x = logUniform(rng, 1e-3f, 1e3f);
      float y = static_cast<float>(static_cast<double>(x) * i / 128);
      for (int step = 0; step < 3; ++step, y = std::nextafter(y, kInf)) {
        all(y, x);
        all(x, y);
      }
    }
  }
  // Magnitudes from 1e-30 to 1e30 on each side, so ratios from 1e-60 to 1e60.
  for (int i = 0; i < 60000; ++i) all(logUniform(rng, 1e-30f, 1e30f), logUniform(rng, 1e-30f, 1e30f));
  // Any bits, and the differences of coordinates a game keeps.
  std::uniform_real_distribution<float> coord(-2000.0f, 2000.0f);
  for (int i = 0; i < 40000; ++i) {
    all(randomFloat(rng), randomFloat(rng));
    all(coord(rng), coord(rng));
  }
  EXPECT_GT(m.cases(), 900000);
}

TEST(FastTrig, SinCosMatchesTheLibraryBitForBit) {
  std::vector<float> inputs;
  std::mt19937 rng(77);
  auto both = [&](float r) {
    inputs.push_back(r);
    inputs.push_back(-r);
  };
  // Every float near the multiples of pi/4 out to 10 pi, where one result
  // is near 0 or both near sqrt(1/2); around 0 that is every subnormal step.
  for (int k = 0; k <= 40; ++k) {
    float r = static_cast<float>(k * 0.78539816339744831);
    for (int i = 0; i < 1000; ++i) r = std::nextafter(r, -kInf);
    for (int i = 0; i < 2001; ++i, r = std::nextafter(r, kInf)) both(r);
  }
  // Subnormals, the edges of the range handled here, huge values, inf and NaN.
  const float limit = veltra::detail::kSinCosLimit;
  for (float r : {0.0f, kMinSub, 12345 * kMinSub, kMinNormal, 1e-30f, limit, std::nextafter(limit, 0.0f),
                  std::nextafter(limit, kInf), 1e7f, 1e30f, kMax, kInf, kNaN})
    both(r);
  for (int e = -149; e <= 127; ++e) {
    const float p = std::ldexp(1.0f, e);
    for (float r : {std::nextafter(p, 0.0f), p, std::nextafter(p, kInf)}) both(r);
  }
  // Any bits within 4, any bits at all, and the angles the physics makes.
  std::uniform_real_distribution<float> turn(-3.1415927f, 3.1415927f);
  for (int i = 0; i < 60000; ++i) {
    float r = randomFloat(rng);
    both(std::fabs(r) <= 4 ? r : std::fmod(r, 4.0f));
    both(r);
    both(turn(rng));
  }
  // Apart, so that no sin meets a cos of the same value and becomes a sincos call.
  Mismatches m;
  for (float r : inputs) m.sinCos(r);
  for (float r : inputs) m.sin(r);
  for (float r : inputs) m.cos(r);
  EXPECT_GT(m.cases(), 900000);
}

// Every fallback costs a library call on top of the estimate, so they must
// stay rare; a bound gone loose would keep every result right and lose the speed.
TEST(FastTrig, LibraryIsRarelyNeededOnOrdinaryInputs) {
  std::mt19937 rng(5);
  std::uniform_real_distribution<float> coord(-100.0f, 100.0f), turn(-3.1415927f, 3.1415927f);
  const int n = 300000;
  int atanFallbacks = 0, sinFallbacks = 0, cosFallbacks = 0;
  for (int i = 0; i < n; ++i) {
    atanFallbacks += !veltra::detail::atan2Fast(coord(rng), coord(rng)).known;
    veltra::detail::Settled s, c;
    veltra::detail::sinCosFast(turn(rng), s, c);
    sinFallbacks += !s.known;
    cosFallbacks += !c.known;
  }
  EXPECT_LT(atanFallbacks, n / 10000);
  EXPECT_LT(sinFallbacks, n / 10000);
  EXPECT_LT(cosFallbacks, n / 10000);
}

// The bounds are far below a float's step, so a wrong coefficient or a loose
// step in the analysis could hide behind the rounding for long; measured in
// double precision it shows at once. Every library must stay within the
// allowance made for it; the one on Linux is good to 4 ulps, so there it also
// checks the estimate's own bound.
TEST(FastTrig, EstimatesStayWithinTheirErrorBound) {
  std::mt19937 rng(9);
  std::uniform_real_distribution<float> turn(-8.0f, 8.0f);
  auto within = [](const veltra::detail::Estimate& e, double lib) {
#ifdef __GLIBC__
    const double allowance = 0x1p-50 * std::fabs(lib);
#else
    const double allowance = e.libraryBound;
#endif
    return std::fabs(e.value - lib) <= e.bound + allowance;
  };
  for (int i = 0; i < 200000; ++i) {
    const float y = randomFloat(rng), x = randomFloat(rng);
    veltra::detail::Estimate t;
    if (veltra::detail::atan2Estimate(y, x, t)) {
      const double lib = std::atan2(static_cast<double>(y), static_cast<double>(x));
      ASSERT_TRUE(within(t, lib)) << "atan2(" << y << ", " << x << "): " << t.value << " vs " << lib;
    }
    const float r = i % 2 ? turn(rng) : randomFloat(rng);
    veltra::detail::Estimate s, c;
    if (veltra::detail::sinCosEstimate(r, s, c)) {
      const double ls = std::sin(static_cast<double>(r)), lc = std::cos(static_cast<double>(r));
      ASSERT_TRUE(within(s, ls)) << "sin(" << r << "): " << s.value << " vs " << ls;
      ASSERT_TRUE(within(c, lc)) << "cos(" << r << "): " << c.value << " vs " << lc;
    }
  }
}
