#include <cstring>

#include "chord_ogg.h"
#include "seeds.h"
#include "wav_writer.h"

namespace veltra::fuzz {
namespace {

Bytes wav(int rate, int channels, int bits, int frames) {
  tools::Wave w;
  w.rate = rate;
  w.channels = channels;
  w.bits = bits;
  w.samples = tools::tone(440000, frames * channels, rate, tools::Shape::kTriangle, 20000);
  return tools::encodeWav(w);
}

}  // namespace

std::vector<Bytes> soundSeeds() {
  std::vector<Bytes> seeds = {wav(48000, 1, 16, 300), wav(22050, 2, 16, 200), wav(11025, 1, 8, 400),
                              wav(8000, 2, 8, 50)};
  // A data chunk cut short, and one that claims the largest size.
  Bytes cut = seeds[1];
  cut.resize(cut.size() / 2 + 1);
  seeds.push_back(cut);
  Bytes lying = seeds[0];
  std::memset(lying.data() + 40, 0xFF, 4);
  seeds.push_back(lying);
  const Bytes ogg(kChordOgg, kChordOgg + kChordOggSize);
  seeds.push_back(ogg);
  seeds.push_back(Bytes(ogg.begin(), ogg.begin() + static_cast<std::ptrdiff_t>(ogg.size() / 3)));
  return seeds;
}

}  // namespace veltra::fuzz
