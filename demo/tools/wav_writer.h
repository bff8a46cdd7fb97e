// WAV files and simple tunes made with integers alone, so a sound written at
// build time is the same file on every build host and needs no download.
#pragma once

#include <climits>
#include <cstdint>
#include <string>
#include <vector>

namespace tools {

struct Wave {
  int rate = 48000;
  int channels = 1;  // interleaved in `samples`
  int bits = 16;     // 8 keeps the top byte of each sample, as unsigned
  std::vector<std::int16_t> samples;
};

// The whole PCM WAV file for `wave`.
std::vector<std::uint8_t> encodeWav(const Wave& wave);
// Writes `wave` to `path`; false (with errno set by the stream) when it cannot.
bool writeWav(const std::string& path, const Wave& wave);

enum class Shape { kSquare, kTriangle, kSaw };

// `frames` frames of one tone at `milliHz` (440000 is the A above middle C),
// peaking at `amplitude`, with short ramps at both ends so it does not click.
std::vector<std::int16_t> tone(int milliHz, int frames, int rate, Shape shape, int amplitude);

constexpr int kRest = INT_MIN;
struct Note {
  int key;    // semitones from A4 (440 Hz), or kRest
  int steps;  // length in steps
};
// The milli-hertz of a key, from an equal-tempered table (exact integers).
int keyMilliHz(int key);
// The notes one after another, each `steps` x `stepFrames` frames long: a mono tune.
std::vector<std::int16_t> tune(const std::vector<Note>& notes, int stepFrames, int rate, Shape shape, int amplitude);

}  // namespace tools
