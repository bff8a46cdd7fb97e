// Resampling to the output rate by an exact integer rule, so every platform
// gets the same samples.
#pragma once

#include "audio/clip.h"

namespace veltra::audio {

// Linear interpolation at the exact rational position j * rate / 48000 of
// each output frame j, rounded half up; the last input frame is held at the
// end. The clip has ceil(frames * 48000 / rate) frames; the same rate copies.
Clip resampleToOutput(const Pcm& pcm);

}  // namespace veltra::audio
