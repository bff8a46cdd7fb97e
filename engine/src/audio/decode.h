// From a file's bytes to a clip the mixer plays: telling the format by its
// first bytes (never by the name), decoding, resampling.
#pragma once

#include <cstddef>
#include <cstdint>

#include "audio/clip.h"

namespace veltra::audio {

// A WAV or Ogg Vorbis file in memory, resampled to the output rate.
bool decodeSound(const std::uint8_t* data, std::size_t size, Clip& clip, DecodeNotes& notes);

}  // namespace veltra::audio
