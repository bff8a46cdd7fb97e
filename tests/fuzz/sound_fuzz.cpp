// Sound files through the decoders, as LoadSound reads them: the first bytes
// say WAV or Ogg Vorbis, whatever the name. A file that decodes must give a
// consistent clip, which is then mixed, looping and not, for a few blocks.
#include <cstdint>
#include <cstdlib>

#include "audio/decode.h"
#include "audio/mixer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace veltra::audio;
  Clip clip;
  DecodeNotes notes;
  if (!decodeSound(data, size, clip, notes)) {
    if (notes.error.empty()) std::abort();  // a refusal always says why
    return 0;
  }
  if ((clip.channels != 1 && clip.channels != 2) ||
      clip.samples.size() != static_cast<std::size_t>(clip.frames) * clip.channels || clip.frames > kMaxClipFrames)
    std::abort();
  Mixer mixer;
  mixer.play(0, clip, voiceGains(1, 0), true);
  mixer.play(1, clip, voiceGains(0.5f, -1), false);
  static std::int16_t out[2 * 1024];
  for (int i = 0; i < 3; ++i) mixer.mix(out, 1024);
  return 0;
}
