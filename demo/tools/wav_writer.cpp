#include "wav_writer.h"

#include <algorithm>
#include <fstream>

namespace tools {
namespace {

void put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  put16(out, v & 0xFFFFu);
  put16(out, v >> 16);
}
void putTag(std::vector<std::uint8_t>& out, const char* tag) { out.insert(out.end(), tag, tag + 4); }

// Cent-free equal temperament from A4 up one octave, in milli-hertz.
constexpr int kOctave[12] = {440000, 466164, 493883, 523251, 554365, 587330,
                             622254, 659255, 698456, 739989, 783991, 830609};
constexpr int kRampFrames = 96;  // 2 ms at 48 kHz

}  // namespace

std::vector<std::uint8_t> encodeWav(const Wave& wave) {
  const std::uint32_t bytesPerSample = wave.bits == 8 ? 1 : 2;
  const std::uint32_t dataBytes = static_cast<std::uint32_t>(wave.samples.size()) * bytesPerSample;
  std::vector<std::uint8_t> out;
  out.reserve(44 + dataBytes + 1);
  putTag(out, "RIFF");
  put32(out, 36 + dataBytes + (dataBytes & 1));
  putTag(out, "WAVE");
  putTag(out, "fmt ");
  put32(out, 16);
  put16(out, 1);  // PCM
  put16(out, static_cast<std::uint32_t>(wave.channels));
  put32(out, static_cast<std::uint32_t>(wave.rate));
  put32(out, static_cast<std::uint32_t>(wave.rate) * wave.channels * bytesPerSample);
  put16(out, static_cast<std::uint32_t>(wave.channels) * bytesPerSample);
  put16(out, static_cast<std::uint32_t>(wave.bits));
  putTag(out, "data");
  put32(out, dataBytes);
  for (std::int16_t s : wave.samples) {
    if (wave.bits == 8) {
      out.push_back(static_cast<std::uint8_t>((s >> 8) + 128));
    } else {
      put16(out, static_cast<std::uint16_t>(s));
    }
  }
  if (dataBytes & 1) out.push_back(0);
  return out;
}

bool writeWav(const std::string& path, const Wave& wave) {
  const std::vector<std::uint8_t> bytes = encodeWav(wave);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

std::vector<std::int16_t> tone(int milliHz, int frames, int rate, Shape shape, int amplitude) {
  std::vector<std::int16_t> out(static_cast<std::size_t>(std::max(frames, 0)));
  // A 32-bit phase that wraps once a period.
  const std::uint32_t step = static_cast<std::uint32_t>((static_cast<std::uint64_t>(std::max(milliHz, 0)) << 32) /
                                                        (std::uint64_t{1000} * rate));
  std::uint32_t phase = 0;
  const int ramp = std::max(1, std::min(kRampFrames, frames / 2));
  for (int i = 0; i < frames; ++i, phase += step) {
    const std::int32_t t = static_cast<std::int32_t>(phase >> 16);  // 0 .. 65535
    std::int32_t wave;                                              // -32768 .. 32767
    switch (shape) {
      case Shape::kSquare:
        wave = t < 32768 ? 32767 : -32768;
        break;
      case Shape::kTriangle:
        wave = t < 32768 ? t * 2 - 32768 : (65535 - t) * 2 - 32767;
        break;
      default:
        wave = t - 32768;
        break;
    }
    const std::int32_t envelope = std::min({i, frames - 1 - i, ramp}) * 32768 / ramp;
    const std::int64_t s = static_cast<std::int64_t>(wave) * amplitude / 32768 * envelope / 32768;
    out[static_cast<std::size_t>(i)] = static_cast<std::int16_t>(std::clamp<std::int64_t>(s, -32768, 32767));
  }
  return out;
}

int keyMilliHz(int key) {
  const int octave = key >= 0 ? key / 12 : -((11 - key) / 12);
  const int base = kOctave[key - octave * 12];
  return octave >= 0 ? base << std::min(octave, 8) : base >> std::min(-octave, 20);
}

std::vector<std::int16_t> tune(const std::vector<Note>& notes, int stepFrames, int rate, Shape shape, int amplitude) {
  std::vector<std::int16_t> out;
  for (const Note& n : notes) {
    const int frames = n.steps * stepFrames;
    if (n.key == kRest) {
      out.insert(out.end(), static_cast<std::size_t>(std::max(frames, 0)), 0);
    } else {
      const std::vector<std::int16_t> t = tone(keyMilliHz(n.key), frames, rate, shape, amplitude);
      out.insert(out.end(), t.begin(), t.end());
    }
  }
  return out;
}

}  // namespace tools
