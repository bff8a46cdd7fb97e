// Long checks of the fast trigonometry against the library, too slow for
// ctest: every float up to a magnitude for sin and cos, and many random pairs
// for atan2. Prints mismatches (which must be 0), how often the library was
// needed, the largest error seen against the library's double, in units of
// 2^-53 of the result and as a share of the estimate's own bound, and how
// often the library strayed beyond the allowance made for it.
//   fast_trig_sweep sincos [limit=4]
//   fast_trig_sweep atan2 [pairs=1e9] [seed=1]
#include <chrono>
#include <cinttypes>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "fast_trig.h"
#include "float_bits.h"

namespace {
using veltra::detail::Estimate;

struct Tally {
  std::uint64_t cases = 0, mismatches = 0, fallbacks = 0, beyondAllowance = 0;
  double worstU = 0, worstShare = 0;

  void error(const Estimate& e, double lib) {
    if (lib == 0 || !std::isfinite(lib)) return;
    const double err = std::fabs(e.value - lib);
    // The library strayed further than allowed: exactness then rests on luck.
    beyondAllowance += err > e.bound + e.libraryBound;
    worstU = std::fmax(worstU, err / (std::fabs(lib) * 0x1p-53));
    if (e.bound > 0) worstShare = std::fmax(worstShare, err / e.bound);
  }
  void print(const char* name) const {
    std::printf("%-22s %12" PRIu64 " cases  %" PRIu64 " mismatches  %" PRIu64
                " fallbacks (%.3g)  worst %.2f u, %.3f of the bound, %" PRIu64 " beyond the allowance\n",
                name, cases, mismatches, fallbacks, static_cast<double>(fallbacks) / static_cast<double>(cases), worstU,
                worstShare, beyondAllowance);
  }
};

void sweepSinCos(float limit) {
  Tally sin, cos;
  const std::uint32_t top = bits(limit);
  for (std::uint32_t sign : {0u, 0x80000000u}) {
    for (std::uint32_t b = 0;; ++b) {
      const float r = fromBits(b | sign);
      float s, c;
      veltra::sinCosRounded(r, s, c);
      const double ls = std::sin(static_cast<double>(r)), lc = std::cos(static_cast<double>(r));
      veltra::detail::Settled fs, fc;
      veltra::detail::sinCosFast(r, fs, fc);
      Estimate es, ec;
      if (veltra::detail::sinCosEstimate(r, es, ec)) {
        sin.error(es, ls);
        cos.error(ec, lc);
      }
      ++sin.cases;
      ++cos.cases;
      sin.mismatches += bits(s) != bits(static_cast<float>(ls));
      cos.mismatches += bits(c) != bits(static_cast<float>(lc));
      sin.fallbacks += !fs.known;
      cos.fallbacks += !fc.known;
      if (b == top) break;
    }
  }
  sin.print("sin, every float");
  cos.print("cos, every float");
}

void check(Tally& t, float y, float x) {
  const double lib = std::atan2(static_cast<double>(y), static_cast<double>(x));
  ++t.cases;
  t.mismatches += bits(veltra::atan2Rounded(y, x)) != bits(static_cast<float>(lib));
  t.fallbacks += !veltra::detail::atan2Fast(y, x).known;
  Estimate e;
  if (veltra::detail::atan2Estimate(y, x, e)) t.error(e, lib);
}

void sweepAtan2(std::uint64_t pairs, unsigned seed) {
  std::mt19937_64 rng(seed);
  std::uniform_real_distribution<float> coord(-1000.0f, 1000.0f);
  Tally anyBits, ordinary;
  for (std::uint64_t i = 0; i < pairs / 2; ++i) {
    float y, x;
    do {
      const std::uint64_t w = rng();
      y = fromBits(static_cast<std::uint32_t>(w));
      x = fromBits(static_cast<std::uint32_t>(w >> 32));
    } while (!std::isfinite(y) || !std::isfinite(x));
    check(anyBits, y, x);
    check(ordinary, coord(rng), coord(rng));
  }
  anyBits.print("atan2, any finite bits");
  ordinary.print("atan2, in [-1000, 1000]");
}

}  // namespace

int main(int argc, char** argv) {
  const std::string what = argc > 1 ? argv[1] : "";
  const auto start = std::chrono::steady_clock::now();
  if (what == "sincos") {
    sweepSinCos(argc > 2 ? std::strtof(argv[2], nullptr) : 4.0f);
  } else if (what == "atan2") {
    sweepAtan2(argc > 2 ? static_cast<std::uint64_t>(std::strtod(argv[2], nullptr)) : 1000000000u,
               argc > 3 ? static_cast<unsigned>(std::atoi(argv[3])) : 1u);
  } else {
    std::fprintf(stderr, "usage: fast_trig_sweep sincos [limit] | atan2 [pairs] [seed]\n");
    return 2;
  }
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  std::printf("%.1f s\n", took.count());
  return 0;
}
