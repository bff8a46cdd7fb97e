// Ogg Vorbis files, decoded whole. More than two channels are mixed down to
// stereo by the decoder's own rule.
#pragma once

#include <cstddef>
#include <cstdint>

#include "audio/clip.h"

namespace veltra::audio {

bool looksLikeOgg(const std::uint8_t* data, std::size_t size);

// A stream that breaks off after some audio keeps that audio, with a warning.
bool decodeOgg(const std::uint8_t* data, std::size_t size, Pcm& out, DecodeNotes& notes);

}  // namespace veltra::audio
