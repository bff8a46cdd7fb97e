// A scripted mix through the sound core alone: sounds made here as WAV files
// of every kind the engine reads, plus the committed Ogg, decoded, resampled
// and mixed with volumes, pans, a loop, a stop, saturation and block sizes
// that cut across the mixer's chunks. The determinism test and the
// WebAssembly check under node both compare its hash with this constant.
#pragma once

#include <cstdint>
#include <vector>

#include "audio/clip.h"

constexpr std::uint64_t kScriptedMixHash = 0xc9107d35235824e2ull;

// The script's sounds, decoded: an 8-bit mono square at 11025 Hz, a 16-bit
// stereo saw at 22050 Hz, a short 48 kHz triangle to loop, a full-scale
// 44.1 kHz square and the committed stereo Ogg at 44.1 kHz.
std::vector<veltra::audio::Clip> scriptSounds();

// FNV-1a over every decoded sample and every mixed one.
std::uint64_t scriptedMixHash();

// The mix alone, as interleaved stereo frames.
std::vector<std::int16_t> scriptedMix(const std::vector<veltra::audio::Clip>& sounds);
