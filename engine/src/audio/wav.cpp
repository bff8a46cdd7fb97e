#include "audio/wav.h"

#include <cstring>
#include <string>

namespace veltra::audio {
namespace {

constexpr std::uint16_t kFormatPcm = 1;
constexpr std::uint16_t kFormatExtensible = 0xFFFE;

std::uint16_t le16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
std::uint32_t le32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

struct Format {
  std::uint16_t tag = 0;
  std::uint16_t channels = 0;
  std::uint32_t rate = 0;
  std::uint16_t blockAlign = 0;
  std::uint16_t bits = 0;
};

// Checks the fmt chunk against what the engine plays; empty when it is playable.
std::string refuseFormat(const std::uint8_t* chunk, std::uint32_t size, Format& f) {
  if (size < 16) return "its fmt chunk is " + std::to_string(size) + " bytes, too short";
  f.tag = le16(chunk);
  f.channels = le16(chunk + 2);
  f.rate = le32(chunk + 4);
  f.blockAlign = le16(chunk + 12);
  f.bits = le16(chunk + 14);
  if (f.tag == kFormatExtensible) {
    // The sub-format GUID starts with the plain format tag.
    if (size < 40) return "its extensible fmt chunk is " + std::to_string(size) + " bytes, too short";
    f.tag = le16(chunk + 24);
  }
  if (f.tag != kFormatPcm) return "format " + std::to_string(f.tag) + " is not PCM (only 8 or 16-bit PCM plays)";
  if (f.channels != 1 && f.channels != 2) return std::to_string(f.channels) + " channels (only mono or stereo plays)";
  if (f.bits != 8 && f.bits != 16) return std::to_string(f.bits) + "-bit samples (only 8 or 16-bit plays)";
  if (f.blockAlign != f.channels * f.bits / 8)
    return "its block size " + std::to_string(f.blockAlign) + " does not match " + std::to_string(f.channels) +
           " channels of " + std::to_string(f.bits) + " bits";
  if (f.rate < kMinRate || f.rate > kMaxRate)
    return "its rate " + std::to_string(f.rate) + " Hz is outside " + std::to_string(kMinRate) + " to " +
           std::to_string(kMaxRate) + " Hz";
  return {};
}

}  // namespace

bool looksLikeWav(const std::uint8_t* data, std::size_t size) {
  return size >= 12 && std::memcmp(data, "RIFF", 4) == 0 && std::memcmp(data + 8, "WAVE", 4) == 0;
}

bool decodeWav(const std::uint8_t* data, std::size_t size, Pcm& out, DecodeNotes& notes) {
  if (!looksLikeWav(data, size)) {
    notes.error = "not a RIFF WAVE file";
    return false;
  }
  Format format;
  bool haveFormat = false;
  const std::uint8_t* samples = nullptr;
  std::uint64_t sampleBytes = 0;
  std::uint64_t claimed = 0;
  // Chunks in any order; the first fmt and the first data count. Sizes are
  // 64-bit here so a lying size cannot wrap past the end of the file.
  std::uint64_t at = 12;
  while (at + 8 <= size && !(haveFormat && samples)) {
    const std::uint8_t* head = data + at;
    const std::uint64_t chunkSize = le32(head + 4);
    const std::uint64_t available = size - (at + 8);
    if (std::memcmp(head, "fmt ", 4) == 0 && !haveFormat) {
      if (chunkSize > available) {
        notes.error = "its fmt chunk runs past the end of the file";
        return false;
      }
      notes.error = refuseFormat(head + 8, static_cast<std::uint32_t>(chunkSize), format);
      if (!notes.error.empty()) return false;
      haveFormat = true;
    } else if (std::memcmp(head, "data", 4) == 0 && !samples) {
      samples = head + 8;
      claimed = chunkSize;
      sampleBytes = chunkSize < available ? chunkSize : available;
    }
    at += 8 + chunkSize + (chunkSize & 1);  // chunks are padded to an even size
  }
  if (!haveFormat) {
    notes.error = "it has no fmt chunk";
    return false;
  }
  if (!samples) {
    notes.error = "it has no data chunk";
    return false;
  }
  const std::uint64_t frames = sampleBytes / format.blockAlign;
  if (frames > std::uint64_t{format.rate} * kMaxSeconds) {
    notes.error = "it is longer than " + std::to_string(kMaxSeconds / 60) + " minutes";
    return false;
  }
  if (claimed > sampleBytes)
    notes.warning = "its data chunk claims " + std::to_string(claimed) + " bytes but the file holds " +
                    std::to_string(sampleBytes) + "; loaded those";

  out.rate = format.rate;
  out.channels = format.channels;
  const std::size_t count = static_cast<std::size_t>(frames) * format.channels;
  out.samples.resize(count);
  if (format.bits == 8) {
    for (std::size_t i = 0; i < count; ++i) out.samples[i] = static_cast<std::int16_t>((samples[i] - 128) * 256);
  } else {
    for (std::size_t i = 0; i < count; ++i) out.samples[i] = static_cast<std::int16_t>(le16(samples + 2 * i));
  }
  return true;
}

}  // namespace veltra::audio
