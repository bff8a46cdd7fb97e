// What the mixer costs the output's thread: one block of 1024 frames per
// iteration with 1 to 256 looping voices of mono and stereo clips. The
// figure to read is percent_of_one_core, the mixing time as a share of the
// block's 21.3 ms of sound; the goal is under 2 % for 32 voices.
#include <benchmark/benchmark.h>

#include <vector>

#include "audio/mixer.h"

namespace {

using veltra::audio::Clip;

Clip sawClip(int channels, int frames, int step) {
  Clip c;
  c.channels = channels;
  c.frames = static_cast<std::uint32_t>(frames);
  c.samples.resize(static_cast<std::size_t>(frames) * channels);
  for (std::size_t i = 0; i < c.samples.size(); ++i) c.samples[i] = static_cast<std::int16_t>(i * step % 40000 - 20000);
  return c;
}

void mixVoices(benchmark::State& state) {
  constexpr int kBlock = 1024;
  const int voices = static_cast<int>(state.range(0));
  // Clips of different lengths, so voices wrap at different frames.
  const std::vector<Clip> clips = {sawClip(1, 48000, 37), sawClip(2, 30011, 91), sawClip(1, 7019, 13)};
  veltra::audio::Mixer mixer;
  for (int i = 0; i < voices; ++i) {
    const float pan = static_cast<float>(i % 9 - 4) / 4;
    mixer.play(i, clips[static_cast<std::size_t>(i) % clips.size()], veltra::audio::voiceGains(0.3f, pan), true);
  }
  std::vector<std::int16_t> out(2 * kBlock);
  for (auto _ : state) {
    mixer.mix(out.data(), kBlock);
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  // Seconds of sound per hundred, as a rate inverted: mixing time over sound time, in percent.
  const double soundSeconds = static_cast<double>(state.iterations()) * kBlock / 48000;
  state.counters["percent_of_one_core"] =
      benchmark::Counter(soundSeconds / 100, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(mixVoices)->Arg(1)->Arg(8)->Arg(32)->Arg(256);

}  // namespace

BENCHMARK_MAIN();
