#include "audio/mixer.h"

#include <algorithm>

namespace veltra::audio {
namespace {

constexpr int kChunkFrames = 256;

// Clamped to [0, 1], NaN to 0; then scaled by `side` (in [0, 1], exact in
// double) and rounded once to the nearest step.
std::int32_t gain(float volume, double side) {
  const double v = volume > 0.0f ? (volume < 1.0f ? static_cast<double>(volume) : 1.0) : 0.0;
  return static_cast<std::int32_t>(v * side * kUnity + 0.5);
}

// Each voice's contribution is rounded on its own, so the sum does not
// depend on the order voices are mixed in.
inline std::int32_t scaled(std::int32_t sample, std::int32_t g) { return (sample * g + kUnity / 2) >> 15; }

}  // namespace

Gains voiceGains(float volume, float pan) {
  const double p = pan > -1.0f ? (pan < 1.0f ? static_cast<double>(pan) : 1.0) : (pan == pan ? -1.0 : 0.0);
  return Gains{gain(volume, std::min(1.0, 1.0 - p)), gain(volume, std::min(1.0, 1.0 + p))};
}

std::int32_t masterGain(float volume) { return gain(volume, 1.0); }

Mixer::Start Mixer::play(int sound, const Clip& clip, Gains gains, bool loop) {
  if (clip.frames == 0 || clip.samples.empty()) return Start::kNothingToPlay;
  const Voice fresh{clip.samples.data(), clip.frames, 0, clip.channels, sound, gains, loop, serial_++};
  if (loop) {
    for (int i = 0; i < count_; ++i) {
      if (voices_[i].sound == sound && voices_[i].loop) {
        voices_[i] = fresh;
        return Start::kStarted;
      }
    }
  }
  if (count_ < kMaxVoices) {
    voices_[count_++] = fresh;
    return Start::kStarted;
  }
  int oldest = -1;
  for (int i = 0; i < count_; ++i) {
    if (!voices_[i].loop && (oldest < 0 || voices_[i].serial < voices_[oldest].serial)) oldest = i;
  }
  if (oldest < 0) return Start::kNoVoiceFree;
  voices_[oldest] = fresh;
  return Start::kReplacedOldest;
}

void Mixer::remove(int index) { voices_[index] = voices_[--count_]; }

void Mixer::stop(int sound) {
  for (int i = 0; i < count_;) {
    if (voices_[i].sound == sound) {
      remove(i);
    } else {
      ++i;
    }
  }
}

void Mixer::stopAll() { count_ = 0; }

bool Mixer::playing(int sound) const {
  for (int i = 0; i < count_; ++i) {
    if (voices_[i].sound == sound) return true;
  }
  return false;
}

// Adds `frames` frames of the voice into `acc`; a voice that ends is left at
// its end, a loop goes round as often as the block needs.
void Mixer::mixVoice(Voice& v, std::int32_t* acc, int frames) {
  const std::int32_t gl = v.gains.left, gr = v.gains.right;
  std::uint32_t left = static_cast<std::uint32_t>(frames);
  while (left > 0 && v.position < v.frames) {
    const std::uint32_t n = std::min(left, v.frames - v.position);
    if (v.channels == 1) {
      const std::int16_t* s = v.samples + v.position;
      for (std::uint32_t i = 0; i < n; ++i) {
        acc[2 * i] += scaled(s[i], gl);
        acc[2 * i + 1] += scaled(s[i], gr);
      }
    } else {
      const std::int16_t* s = v.samples + 2 * static_cast<std::size_t>(v.position);
      for (std::uint32_t i = 0; i < n; ++i) {
        acc[2 * i] += scaled(s[2 * i], gl);
        acc[2 * i + 1] += scaled(s[2 * i + 1], gr);
      }
    }
    acc += 2 * n;
    left -= n;
    v.position += n;
    if (v.position == v.frames && v.loop) v.position = 0;
  }
}

void Mixer::mix(std::int16_t* out, int frames) {
  std::int32_t acc[2 * kChunkFrames];
  for (int done = 0; done < frames;) {
    const int n = std::min(kChunkFrames, frames - done);
    std::fill(acc, acc + 2 * n, 0);
    for (int i = 0; i < count_;) {
      mixVoice(voices_[i], acc, n);
      if (voices_[i].position == voices_[i].frames) {
        remove(i);  // the last voice moves here and is mixed next
      } else {
        ++i;
      }
    }
    for (int i = 0; i < 2 * n; ++i) {
      const std::int64_t v = (static_cast<std::int64_t>(acc[i]) * master_ + kUnity / 2) >> 15;
      out[2 * done + i] = static_cast<std::int16_t>(std::clamp<std::int64_t>(v, -32768, 32767));
    }
    done += n;
  }
  framesMixed_ += static_cast<std::uint64_t>(frames < 0 ? 0 : frames);
}

}  // namespace veltra::audio
