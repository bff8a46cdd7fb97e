// The integer mixer: voices of 48 kHz clips summed into stereo 16-bit, the
// same samples on every platform. No allocation and no locking here: the
// sound front end holds the output's lock around every call.
#pragma once

#include <array>
#include <cstdint>

#include "audio/clip.h"

namespace veltra::audio {

// Gains are fixed point with 15 fraction bits: kUnity plays a sample unchanged.
constexpr std::int32_t kUnity = 1 << 15;
// Enough for any game's effects at once; a play beyond it takes the place of
// the oldest one-shot voice.
constexpr int kMaxVoices = 256;

struct Gains {
  std::int32_t left = 0, right = 0;
};

// `volume` clamped to [0, 1] (NaN counts as 0) and `pan` to [-1, 1] (NaN
// counts as 0, the centre). A side keeps full volume until the pan moves
// away from it, then falls linearly to 0 at the far end.
Gains voiceGains(float volume, float pan);
// The master volume, clamped as a voice's.
std::int32_t masterGain(float volume);

class Mixer {
 public:
  enum class Start { kStarted, kReplacedOldest, kNoVoiceFree, kNothingToPlay };

  // Starts `clip` (kept alive by the caller while it plays) for sound
  // `sound`. A loop of a sound that is already looping restarts that voice
  // instead of adding one. An empty clip starts nothing.
  Start play(int sound, const Clip& clip, Gains gains, bool loop);
  void stop(int sound);
  void stopAll();
  bool playing(int sound) const;
  void setMaster(std::int32_t gain) { master_ = gain; }
  // Writes `frames` interleaved stereo frames and moves every voice on.
  void mix(std::int16_t* out, int frames);

  int voices() const { return count_; }
  std::uint64_t framesMixed() const { return framesMixed_; }

 private:
  struct Voice {
    const std::int16_t* samples;
    std::uint32_t frames, position;
    int channels, sound;
    Gains gains;
    bool loop;
    std::uint64_t serial;  // start order, for taking the oldest voice's place
  };
  void mixVoice(Voice& v, std::int32_t* acc, int frames);
  void remove(int index);

  std::array<Voice, kMaxVoices> voices_;
  int count_ = 0;  // voices_[0, count_) play
  std::int32_t master_ = kUnity;
  std::uint64_t serial_ = 0;
  std::uint64_t framesMixed_ = 0;
};

}  // namespace veltra::audio
