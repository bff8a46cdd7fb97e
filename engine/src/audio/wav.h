// RIFF WAVE files: 8-bit unsigned or 16-bit signed PCM, mono or stereo, any
// rate the engine accepts.
#pragma once

#include <cstddef>
#include <cstdint>

#include "audio/clip.h"

namespace veltra::audio {

bool looksLikeWav(const std::uint8_t* data, std::size_t size);

// Reads the whole file in `data`. A data chunk cut short by the end of the
// file keeps the whole frames that are there, with a warning.
bool decodeWav(const std::uint8_t* data, std::size_t size, Pcm& out, DecodeNotes& notes);

}  // namespace veltra::audio
