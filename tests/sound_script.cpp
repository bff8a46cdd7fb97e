#include "sound_script.h"

#include <limits>

#include "audio/decode.h"
#include "audio/mixer.h"
#include "chord_ogg.h"
#include "fnv_hash.h"
#include "wav_writer.h"

using veltra::audio::Clip;
using veltra::audio::Mixer;
using veltra::audio::voiceGains;

namespace {

Clip decoded(const std::vector<std::uint8_t>& file) {
  Clip clip;
  veltra::audio::DecodeNotes notes;
  veltra::audio::decodeSound(file.data(), file.size(), clip, notes);
  return clip;
}

Clip wave(int rate, int channels, int bits, std::vector<std::int16_t> left, const std::vector<std::int16_t>& right) {
  tools::Wave w;
  w.rate = rate;
  w.channels = channels;
  w.bits = bits;
  if (channels == 1) {
    w.samples = std::move(left);
  } else {
    for (std::size_t i = 0; i < left.size(); ++i) {
      w.samples.push_back(left[i]);
      w.samples.push_back(right[i]);
    }
  }
  return decoded(tools::encodeWav(w));
}

void mixFor(Mixer& m, std::vector<std::int16_t>& out, int frames, int block) {
  for (int done = 0; done < frames; done += block) {
    const int n = frames - done < block ? frames - done : block;
    const std::size_t at = out.size();
    out.resize(at + 2 * static_cast<std::size_t>(n));
    m.mix(out.data() + at, n);
  }
}

}  // namespace

std::vector<Clip> scriptSounds() {
  using tools::Shape;
  using tools::tone;
  std::vector<Clip> sounds;
  sounds.push_back(wave(11025, 1, 8, tone(220000, 3300, 11025, Shape::kSquare, 24000), {}));
  sounds.push_back(wave(22050, 2, 16, tone(330000, 5500, 22050, Shape::kSaw, 20000),
                        tone(495000, 5500, 22050, Shape::kTriangle, 26000)));
  sounds.push_back(wave(48000, 1, 16, tone(tools::keyMilliHz(-5), 4800, 48000, Shape::kTriangle, 30000), {}));
  sounds.push_back(wave(44100, 1, 16, tone(110000, 8820, 44100, Shape::kSquare, 32767), {}));
  sounds.push_back(decoded(std::vector<std::uint8_t>(kChordOgg, kChordOgg + kChordOggSize)));
  return sounds;
}

std::vector<std::int16_t> scriptedMix(const std::vector<Clip>& s) {
  const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
  enum { kSquare8, kStereo22, kLoop48, kLoud, kOgg };
  Mixer m;
  std::vector<std::int16_t> out;
  m.setMaster(veltra::audio::masterGain(0.9f));
  m.play(kSquare8, s[kSquare8], voiceGains(1.0f, -0.5f), false);
  m.play(kLoop48, s[kLoop48], voiceGains(0.6f, 0.0f), true);
  mixFor(m, out, 4800, 1024);
  m.play(kStereo22, s[kStereo22], voiceGains(0.8f, 0.3f), false);
  m.play(kOgg, s[kOgg], voiceGains(1.0f, 0.0f), false);
  mixFor(m, out, 3000, 441);
  // Three full-scale squares in phase saturate; a NaN pan plays centred.
  for (int i = 0; i < 3; ++i) m.play(kLoud, s[kLoud], voiceGains(1.0f, 0.0f), false);
  m.play(kSquare8, s[kSquare8], voiceGains(0.5f, nan), false);
  mixFor(m, out, 7000, 333);
  m.stop(kLoop48);
  m.setMaster(veltra::audio::masterGain(0.5f));
  m.play(kOgg, s[kOgg], voiceGains(0.7f, -1.0f), false);
  m.play(kStereo22, s[kStereo22], voiceGains(inf, -inf), false);
  m.play(kLoop48, s[kLoop48], voiceGains(0.3f, 0.25f), true);
  mixFor(m, out, 9000, 4096);
  m.play(kLoop48, s[kLoop48], voiceGains(0.9f, -0.75f), true);  // restarts the loop, louder and left
  mixFor(m, out, 6000, 37);
  m.stop(kLoop48);
  while (m.voices() > 0) mixFor(m, out, 1000, 1000);
  mixFor(m, out, 500, 500);
  return out;
}

std::uint64_t scriptedMixHash() {
  Hash h;
  const std::vector<Clip> sounds = scriptSounds();
  for (const Clip& c : sounds) {
    h.add(static_cast<std::uint32_t>(c.channels));
    h.add(c.frames);
    for (std::int16_t v : c.samples) h.add(static_cast<std::uint32_t>(static_cast<std::uint16_t>(v)));
  }
  for (std::int16_t v : scriptedMix(sounds)) h.add(static_cast<std::uint32_t>(static_cast<std::uint16_t>(v)));
  return h.value();
}
