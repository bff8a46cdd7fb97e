// The sound front end's state: the sound table, the one mixer, and the
// output it feeds once something first plays.
#pragma once

#include <cstdint>

#include "audio/clip.h"
#include "tables.h"

namespace veltra::audio {

// Clips are never freed while the engine runs (a voice may still read one),
// and the table itself is never torn down: the output's thread may outlive
// static destruction.
Table<Clip*>& soundTable();

// Plays and stops made while one of these lives all take effect on the same
// output frame. Nests; main thread only.
class SoundBatch {
 public:
  SoundBatch();
  ~SoundBatch();
  SoundBatch(const SoundBatch&) = delete;
  SoundBatch& operator=(const SoundBatch&) = delete;
};

// Frames the mixer has handed to the output since it opened.
std::uint64_t framesMixed();

namespace detail {
// Tests only: closes the output (the next play opens it again, and may print
// again), frees every clip and empties the table, with the master volume at 1.
void resetSound();
}  // namespace detail

}  // namespace veltra::audio
