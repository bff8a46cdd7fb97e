#include "audio/ogg.h"

#include <climits>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#define STB_VORBIS_HEADER_ONLY
#define STB_VORBIS_NO_STDIO
#define STB_VORBIS_NO_PUSHDATA_API
#include <stb_vorbis.h>

#include "audio/vorbis_samples.h"

namespace veltra::audio {
namespace {

// Every allocation of the decoder comes from this arena, so a hostile setup
// header cannot ask for more; real files need a few hundred kilobytes.
constexpr int kArenaBytes = 4 << 20;

const char* errorText(int error) {
  switch (error) {
    case VORBIS_outofmem:
      return "its setup needs more memory than a sound may use";
    case VORBIS_feature_not_supported:
      return "it uses floor type 0, which is not supported";
    case VORBIS_too_many_channels:
      return "it has too many channels";
    case VORBIS_unexpected_eof:
      return "it ends early";
    case VORBIS_ogg_skeleton_not_supported:
      return "it carries an Ogg Skeleton stream, which is not supported";
    case VORBIS_missing_capture_pattern:
    case VORBIS_invalid_first_page:
    case VORBIS_invalid_stream_structure_version:
      return "its Ogg pages are broken";
    default:
      return "its Vorbis stream is broken";
  }
}

// The comment header's largest size; real ones, even with cover art, are far smaller.
constexpr std::size_t kMaxCommentBytes = 16u << 20;

std::uint32_t le32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// The decoder trusts the lengths in the comment header: a vendor or comment
// length past the packet's end makes it write outside what it allocated, and
// a comment count it cannot allocate makes it read through a null pointer
// while cleaning up. So the header is checked here first. The comment packet
// starts on the second page (the first holds only the identification packet)
// and may run on over several pages. Returns its size, or 0 with `why` set.
std::size_t commentHeaderBytes(const std::uint8_t* data, std::size_t size, const char*& why) {
  why = "it ends early";
  std::vector<std::uint8_t> packet;
  std::size_t at = 0;
  for (int page = 0;; ++page) {
    if (size - at < 27) return 0;
    if (std::memcmp(data + at, "OggS", 4) != 0) {
      why = "its Ogg pages are broken";
      return 0;
    }
    const std::size_t segments = data[at + 26];
    if (size - at - 27 < segments) return 0;
    const std::uint8_t* lacing = data + at + 27;
    std::size_t body = at + 27 + segments;
    for (std::size_t i = 0; i < segments; ++i) {
      if (size - body < lacing[i]) return 0;
      if (page > 0) {
        packet.insert(packet.end(), data + body, data + body + lacing[i]);
        if (packet.size() > kMaxCommentBytes) {
          why = "its comment header is over 16 MiB";
          return 0;
        }
        if (lacing[i] < 255) {
          why = "its comment header is broken";
          // Type 3, "vorbis", the vendor, the count, then each comment's length and bytes.
          std::size_t pos = 7;
          auto lengthFits = [&](std::size_t unit) {
            if (packet.size() - pos < 4) return false;
            const std::uint64_t n = le32(packet.data() + pos);
            pos += 4;
            if (n > (packet.size() - pos) / unit) return false;
            if (unit == 1) pos += static_cast<std::size_t>(n);
            return true;
          };
          if (packet.size() < pos || packet[0] != 3 || !lengthFits(1)) return 0;
          const std::uint32_t count = packet.size() - pos >= 4 ? le32(packet.data() + pos) : 0;
          if (!lengthFits(4)) return 0;
          for (std::uint32_t c = 0; c < count; ++c) {
            if (!lengthFits(1)) return 0;
          }
          return packet.size();
        }
      }
      body += lacing[i];
    }
    at = body;
  }
}

struct Closer {
  void operator()(stb_vorbis* v) const { stb_vorbis_close(v); }
};

}  // namespace

bool looksLikeOgg(const std::uint8_t* data, std::size_t size) { return size >= 4 && std::memcmp(data, "OggS", 4) == 0; }

bool decodeOgg(const std::uint8_t* data, std::size_t size, Pcm& out, DecodeNotes& notes) {
  if (!looksLikeOgg(data, size) || size > INT_MAX) {
    notes.error = "not an Ogg file";
    return false;
  }
  const char* why = nullptr;
  const std::size_t comments = commentHeaderBytes(data, size, why);
  if (comments == 0) {
    notes.error = why;
    return false;
  }
  // Room for the comments as the decoder stores them (a pointer and a rounded
  // copy of each) besides its own, so their allocation never fails.
  const std::size_t arenaBytes = kArenaBytes + 6 * comments;
  std::unique_ptr<char[]> arena(new char[arenaBytes]);
  stb_vorbis_alloc alloc{arena.get(), static_cast<int>(arenaBytes)};
  int error = 0;
  std::unique_ptr<stb_vorbis, Closer> vorbis(stb_vorbis_open_memory(data, static_cast<int>(size), &error, &alloc));
  if (!vorbis) {
    notes.error = errorText(error);
    return false;
  }
  const stb_vorbis_info info = stb_vorbis_get_info(vorbis.get());
  if (info.sample_rate < kMinRate || info.sample_rate > kMaxRate) {
    notes.error = "its rate " + std::to_string(info.sample_rate) + " Hz is outside " + std::to_string(kMinRate) +
                  " to " + std::to_string(kMaxRate) + " Hz";
    return false;
  }
  if (info.channels > kMaxVorbisChannels) {
    notes.error = std::to_string(info.channels) + " channels (up to " + std::to_string(kMaxVorbisChannels) + " play)";
    return false;
  }
  const std::uint64_t maxFrames = std::uint64_t{info.sample_rate} * kMaxSeconds;
  out.rate = info.sample_rate;
  out.channels = info.channels >= 2 ? 2 : 1;
  out.samples.clear();
  // Frame by frame as floats: the decoder's own integer output overflows a
  // signed int on the wild values of a broken stream.
  for (;;) {
    int channels = 0;
    float** planes = nullptr;
    const int got = stb_vorbis_get_frame_float(vorbis.get(), &channels, &planes);
    if (got <= 0) break;
    if (out.frames() + static_cast<std::uint64_t>(got) > maxFrames) {
      notes.error = "it is longer than " + std::to_string(kMaxSeconds / 60) + " minutes";
      return false;
    }
    appendVorbisFrames(planes, channels, got, out.samples);
  }
  error = stb_vorbis_get_error(vorbis.get());
  if (out.samples.empty()) {
    // A file cut after its headers decodes to nothing without an error.
    notes.error = error != VORBIS__no_error ? errorText(error) : "it ends before any audio";
    return false;
  }
  if (error != VORBIS__no_error) {
    notes.warning =
        std::string(errorText(error)) + "; loaded the " + std::to_string(out.frames()) + " frames before the fault";
  }
  return true;
}

}  // namespace veltra::audio
