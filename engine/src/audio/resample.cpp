#include "audio/resample.h"

namespace veltra::audio {

Clip resampleToOutput(const Pcm& pcm) {
  constexpr std::int64_t kOut = platform::kAudioRate;
  Clip clip;
  clip.channels = pcm.channels;
  const std::uint64_t in = pcm.frames();
  if (in == 0 || pcm.rate == 0) return clip;
  if (pcm.rate == kOut) {
    clip.samples = pcm.samples;
    clip.frames = static_cast<std::uint32_t>(in);
    return clip;
  }
  const std::uint64_t out = (in * kOut + pcm.rate - 1) / pcm.rate;
  clip.frames = static_cast<std::uint32_t>(out);
  clip.samples.resize(static_cast<std::size_t>(out) * pcm.channels);
  const std::int16_t* src = pcm.samples.data();
  std::int16_t* dst = clip.samples.data();
  const int c = pcm.channels;
  // The source position idx + rem / kOut, stepped by rate / kOut frames.
  std::uint64_t idx = 0;
  std::int64_t rem = 0;
  for (std::uint64_t j = 0; j < out; ++j) {
    const std::uint64_t next = idx + 1 < in ? idx + 1 : idx;
    for (int ch = 0; ch < c; ++ch) {
      const std::int64_t a = src[idx * c + ch], b = src[next * c + ch];
      // Shifted up by 32768 so the rounding division works on non-negative numbers.
      const std::int64_t weighted = (a + 32768) * (kOut - rem) + (b + 32768) * rem;
      *dst++ = static_cast<std::int16_t>((weighted + kOut / 2) / kOut - 32768);
    }
    rem += pcm.rate;
    while (rem >= kOut) {
      rem -= kOut;
      ++idx;
    }
  }
  return clip;
}

}  // namespace veltra::audio
