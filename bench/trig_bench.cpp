// The rounded atan2 and sin/cos of fast_trig against the library calls they
// stand for, alone and inside one pair push of the physics, in one run.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "fast_trig.h"
#include "helpers.h"
#include "physics.h"
#include "physics_scenes.h"

namespace {
using veltra::sp;

// Directions between masses that overlap: small coordinate differences.
struct Inputs {
  std::vector<float> dy, dx, turn;
  Inputs() {
    std::mt19937 rng(3);
    std::uniform_real_distribution<float> d(-10.0f, 10.0f), t(-3.1415927f, 3.1415927f);
    for (int i = 0; i < 1024; ++i) {
      dy.push_back(d(rng));
      dx.push_back(d(rng));
      turn.push_back(t(rng));
    }
  }
};
const Inputs& inputs() {
  static const Inputs in;
  return in;
}

float libraryAtan2(float y, float x) { return sp(std::atan2(static_cast<double>(y), static_cast<double>(x))); }
void librarySinCos(float r, float& s, float& c) {
  s = sp(std::sin(static_cast<double>(r)));
  c = sp(std::cos(static_cast<double>(r)));
}

template <float (*atan2F)(float, float)>
void Atan2(benchmark::State& state) {
  const Inputs& in = inputs();
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(atan2F(in.dy[i], in.dx[i]));
    i = (i + 1) & 1023;
  }
}
BENCHMARK_TEMPLATE(Atan2, libraryAtan2)->Name("Atan2/library");
BENCHMARK_TEMPLATE(Atan2, veltra::atan2Rounded)->Name("Atan2/fast");

template <void (*sinCosF)(float, float&, float&)>
void SinCos(benchmark::State& state) {
  const Inputs& in = inputs();
  std::size_t i = 0;
  for (auto _ : state) {
    float s, c;
    sinCosF(in.turn[i], s, c);
    benchmark::DoNotOptimize(s);
    benchmark::DoNotOptimize(c);
    i = (i + 1) & 1023;
  }
}
BENCHMARK_TEMPLATE(SinCos, librarySinCos)->Name("SinCos/library");
BENCHMARK_TEMPLATE(SinCos, veltra::sinCosRounded)->Name("SinCos/fast");

// separatePair as it was with the library's atan2, sin and cos.
bool separatePairLibrary(veltra::MassRecord& j, veltra::MassRecord& k) {
  if (!(k.z == j.z)) return false;
  const float dist = veltra::pointDistance(j.x, j.y, k.x, k.y);
  const double reach = static_cast<double>(k.range) + j.range;
  if (!(reach > dist)) return false;
  const float dy = sp(static_cast<double>(k.y) - j.y), dx = sp(static_cast<double>(k.x) - j.x);
  const float dir = sp(static_cast<double>(libraryAtan2(dy, dx)) / veltra::kPi * 180.0);
  const float overlap = sp(reach - dist);
  float s, c;
  librarySinCos(veltra::degToRad(dir), s, c);
  const float ox = sp(static_cast<double>(c) * overlap), oy = sp(static_cast<double>(s) * overlap);
  k.x = sp(static_cast<double>(k.x) + ox);
  k.y = sp(static_cast<double>(k.y) + oy);
  j.x = sp(static_cast<double>(j.x) - ox);
  j.y = sp(static_cast<double>(j.y) - oy);
  return true;
}

// The same pair as physics_bench's PairPush, so the figures compare.
template <bool (*separate)(veltra::MassRecord&, veltra::MassRecord&)>
void PairPush(benchmark::State& state) {
  const veltra::MassRecord a0 = scenes::atRest(0, 0, 5), b0 = scenes::atRest(6.5f, 3.25f, 5);
  for (auto _ : state) {
    veltra::MassRecord a = a0, b = b0;
    benchmark::DoNotOptimize(separate(a, b));
    benchmark::DoNotOptimize(a);
    benchmark::DoNotOptimize(b);
  }
}
BENCHMARK_TEMPLATE(PairPush, separatePairLibrary)->Name("PairPush/library");
BENCHMARK_TEMPLATE(PairPush, veltra::separatePair)->Name("PairPush/fast");

}  // namespace

BENCHMARK_MAIN();
