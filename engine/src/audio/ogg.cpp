#include "audio/ogg.h"

#include <climits>
#include <cstring>
#include <memory>
#include <string>

#define STB_VORBIS_HEADER_ONLY
#define STB_VORBIS_NO_STDIO
#define STB_VORBIS_NO_PUSHDATA_API
#include <stb_vorbis.h>

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
  std::unique_ptr<char[]> arena(new char[kArenaBytes]);
  stb_vorbis_alloc alloc{arena.get(), kArenaBytes};
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
  const int channels = info.channels >= 2 ? 2 : 1;
  const std::uint64_t maxFrames = std::uint64_t{info.sample_rate} * kMaxSeconds;
  out.rate = info.sample_rate;
  out.channels = channels;
  out.samples.clear();
  // Pulled in blocks rather than by the decoder's frames, whose stated
  // largest size is not a bound.
  constexpr int kBlockFrames = 4096;
  short block[kBlockFrames * 2];
  for (;;) {
    const int got = stb_vorbis_get_samples_short_interleaved(vorbis.get(), channels, block, kBlockFrames * channels);
    if (got <= 0) break;
    if (out.frames() + static_cast<std::uint64_t>(got) > maxFrames) {
      notes.error = "it is longer than " + std::to_string(kMaxSeconds / 60) + " minutes";
      return false;
    }
    out.samples.insert(out.samples.end(), block, block + static_cast<std::size_t>(got) * channels);
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
