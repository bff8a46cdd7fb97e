// The seed makers of make_seeds, one per fuzz target that needs more than a
// few literal bytes.
#pragma once

#include <cstdint>
#include <vector>

namespace veltra::fuzz {

using Bytes = std::vector<std::uint8_t>;

// Image files as image_fuzz reads them: one byte picking the extension, then
// the file: valid, truncated, corrupt, zero-size and huge-dimension images of
// several formats, and files that are no image at all.
std::vector<Bytes> imageSeeds();

// Sound files as sound_fuzz reads them: WAV files of every kind played, cut
// and lying ones, and the committed Ogg whole and cut.
std::vector<Bytes> soundSeeds();

}  // namespace veltra::fuzz
