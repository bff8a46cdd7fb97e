// Sound files for the tests: WAV bytes made with the build's own writer, the
// committed Ogg, and files written to the test's temporary folder.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "audio/decode.h"
#include "chord_ogg.h"
#include "wav_writer.h"

using Bytes = std::vector<std::uint8_t>;

inline Bytes wavBytes(int rate, int channels, int bits, std::vector<std::int16_t> samples) {
  tools::Wave w;
  w.rate = rate;
  w.channels = channels;
  w.bits = bits;
  w.samples = std::move(samples);
  return tools::encodeWav(w);
}

inline Bytes chordOgg() { return Bytes(kChordOgg, kChordOgg + kChordOggSize); }

// A path in the temporary folder of this test alone, as ctest runs tests side by side.
inline std::string testPath(const std::string& name) {
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  return ::testing::TempDir() + "veltra_" + test->test_suite_name() + "." + test->name() + "_" + name;
}

inline std::string writeSoundFile(const std::string& name, const Bytes& bytes) {
  const std::string path = testPath(name);
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return path;
}

// The clip the engine makes of `bytes`; empty when it refuses them.
inline veltra::audio::Clip clipOf(const Bytes& bytes, veltra::audio::DecodeNotes* notes = nullptr) {
  veltra::audio::Clip clip;
  veltra::audio::DecodeNotes local;
  veltra::audio::decodeSound(bytes.data(), bytes.size(), clip, notes ? *notes : local);
  return clip;
}

// The engine's own lines in captured stderr (Wine adds lines of its own).
inline std::vector<std::string> veltraLines(const std::string& text) {
  std::vector<std::string> out;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    if (text.compare(start, 8, "veltra: ") == 0) out.push_back(text.substr(start, end - start));
  }
  return out;
}
