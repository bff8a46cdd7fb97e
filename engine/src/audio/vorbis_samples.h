// The decoder's float samples to the engine's 16-bit ones: rounding, and
// the stereo mix of files with more than two channels.
#pragma once

#include <cstdint>
#include <vector>

namespace veltra::audio {

// The most channels a Vorbis file has a defined layout for.
constexpr int kMaxVorbisChannels = 8;

// x * 32768 rounded to the nearest integer (ties to even), exactly as the
// decoder's own integer output rounds it, clamped to 16 bits; NaN is 0.
std::int16_t vorbisSample(float x);

// Appends `frames` frames of `channels` planar float channels as interleaved
// samples: one or two channels as they are, three to eight mixed to stereo by
// the Vorbis layout of that count (centre channels to both sides at half,
// the low-frequency channel left out), each side divided by its total share
// so that nothing clips that did not before.
void appendVorbisFrames(const float* const* planes, int channels, int frames, std::vector<std::int16_t>& out);

}  // namespace veltra::audio
