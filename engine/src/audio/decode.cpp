#include "audio/decode.h"

#include "audio/ogg.h"
#include "audio/resample.h"
#include "audio/wav.h"

namespace veltra::audio {

bool decodeSound(const std::uint8_t* data, std::size_t size, Clip& clip, DecodeNotes& notes) {
  Pcm pcm;
  bool ok;
  if (looksLikeWav(data, size)) {
    ok = decodeWav(data, size, pcm, notes);
  } else if (looksLikeOgg(data, size)) {
    ok = decodeOgg(data, size, pcm, notes);
  } else {
    notes.error = "neither a WAV nor an Ogg Vorbis file";
    return false;
  }
  if (!ok) return false;
  clip = resampleToOutput(pcm);
  return true;
}

}  // namespace veltra::audio
