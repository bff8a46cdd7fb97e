// The sound output part of the platform contract. The core mixes; a backend
// only moves the mixed blocks to the system's output and runs the core's pull
// function when the output wants more.
#pragma once

#include <cstdint>
#include <string>

namespace veltra::platform {

// The one format every output runs at, so a mix is the same samples everywhere.
constexpr int kAudioRate = 48000;
constexpr int kAudioChannels = 2;

// Fills `frames` interleaved stereo frames of signed 16-bit samples. It runs on
// the output's own thread (or event) with the audio lock held, so it must not
// block, allocate or print.
using AudioPull = void (*)(std::int16_t* out, int frames);

// Opens the output paused. On failure returns false and says why, in the
// backend's own words, for the front end's one line (a platform::Why).
bool openAudioOutput(AudioPull pull, std::string& why);
// Starts pulling; the first block then begins with what the core had queued.
void startAudioOutput();
// Keeps the pull function out while the core changes its voices. Only called
// while the output is open; not reentrant.
void lockAudio();
void unlockAudio();
// Stops pulling and closes the output; nothing is pulled after it returns.
void closeAudioOutput();

}  // namespace veltra::platform
