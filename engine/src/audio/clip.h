// Decoded sound data: the PCM a file holds, and the clip the mixer plays
// (the same sound resampled to the output rate).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/audio_output.h"

namespace veltra::audio {

// The rates a file may have; outside them the header is taken as a lie.
constexpr std::uint32_t kMinRate = 1000;
constexpr std::uint32_t kMaxRate = 384000;
// A longer sound would hold hundreds of megabytes decoded.
constexpr std::uint32_t kMaxSeconds = 10 * 60;
constexpr std::uint64_t kMaxClipFrames = std::uint64_t{platform::kAudioRate} * kMaxSeconds;
// Files beyond this are refused before they are read.
constexpr std::uint64_t kMaxFileBytes = 256u << 20;

// Interleaved signed 16-bit samples at the file's own rate, one or two channels.
struct Pcm {
  std::uint32_t rate = 0;
  int channels = 0;
  std::vector<std::int16_t> samples;
  std::size_t frames() const { return channels ? samples.size() / static_cast<std::size_t>(channels) : 0; }
};

// What the mixer plays: interleaved at the output rate, mono kept mono.
struct Clip {
  int channels = 0;
  std::uint32_t frames = 0;
  std::vector<std::int16_t> samples;
};

// A decoder's verdict. `error` says why nothing could be used; `warning`
// notes something odd about a file that still loaded.
struct DecodeNotes {
  std::string error;
  std::string warning;
};

}  // namespace veltra::audio
