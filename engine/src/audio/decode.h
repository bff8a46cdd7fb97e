// From a file name to a clip the mixer plays: reading with limits, telling
// the format by its first bytes (never by the name), decoding, resampling.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "audio/clip.h"

namespace veltra::audio {

// Reads a regular file of at most kMaxFileBytes; false with `why` otherwise.
bool readSoundFile(const char* file, std::vector<std::uint8_t>& bytes, std::string& why);

// A WAV or Ogg Vorbis file in memory, resampled to the output rate.
bool decodeSound(const std::uint8_t* data, std::size_t size, Clip& clip, DecodeNotes& notes);

}  // namespace veltra::audio
