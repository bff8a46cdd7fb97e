#include "audio/vorbis_samples.h"

#include <cstring>

namespace veltra::audio {
namespace {

// Where each channel of an n-channel file sounds, in the order Vorbis
// streams lay out n channels.
enum Side : char { kLeft = 'L', kRight = 'R', kCentre = 'C', kDropped = '-' };
constexpr const char* kLayouts[kMaxVorbisChannels + 1] = {"",      "C",      "LR",      "LCR",     "LRLR",
                                                          "LCRLR", "LCRLR-", "LCRLRC-", "LCRLRLR-"};

}  // namespace

std::int16_t vorbisSample(float x) {
  // Within +-2 the addition below cannot overflow; beyond +-1 it clamps anyway.
  if (!(x >= -2.0f)) x = x == x ? -2.0f : 0.0f;
  if (x > 2.0f) x = 2.0f;
  // Floats near 384 are 2^-15 apart, so adding 384 rounds x * 32768 to an
  // integer (to nearest, ties to even) held in the low bits.
  constexpr std::int32_t kShiftBits = 0x43C00000;  // the bits of 384.0f
  const float shifted = x + 384.0f;
  std::int32_t bits;
  std::memcpy(&bits, &shifted, sizeof bits);
  const std::int32_t v = bits - kShiftBits;
  return static_cast<std::int16_t>(v < -32768 ? -32768 : v > 32767 ? 32767 : v);
}

void appendVorbisFrames(const float* const* planes, int channels, int frames, std::vector<std::int16_t>& out) {
  if (channels <= 2) {
    for (int i = 0; i < frames; ++i) {
      for (int c = 0; c < channels; ++c) out.push_back(vorbisSample(planes[c][i]));
    }
    return;
  }
  const char* layout = kLayouts[channels];
  float leftShare = 0, rightShare = 0;
  for (int c = 0; c < channels; ++c) {
    leftShare += layout[c] == kLeft ? 1.0f : layout[c] == kCentre ? 0.5f : 0.0f;
    rightShare += layout[c] == kRight ? 1.0f : layout[c] == kCentre ? 0.5f : 0.0f;
  }
  for (int i = 0; i < frames; ++i) {
    float left = 0, right = 0;
    for (int c = 0; c < channels; ++c) {
      const float s = planes[c][i];
      if (layout[c] == kLeft) left += s;
      if (layout[c] == kRight) right += s;
      if (layout[c] == kCentre) left += 0.5f * s, right += 0.5f * s;
    }
    out.push_back(vorbisSample(left / leftShare));
    out.push_back(vorbisSample(right / rightShare));
  }
}

}  // namespace veltra::audio
