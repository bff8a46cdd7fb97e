// The bytes of tests/sounds/chord.ogg, compiled in by veltra_embed_chord_ogg().
#pragma once

#include <cstddef>

extern const unsigned char kChordOgg[];
extern const std::size_t kChordOggSize;
