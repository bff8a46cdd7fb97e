// End to end: what reaches the platform's sound output is, sample for sample,
// the engine's own render of the same plays. The output is heard through a
// file: on Linux SDL's disk driver writes what the callback fills; under Wine
// waveOut goes through Wine's ALSA into a file-backed device, which
// tests/windows/sound_wine.sh sets up and names in VELTRA_SOUND_CAPTURE.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "audio/mixer.h"
#include "audio/sound.h"
#include "fresh_engine.h"
#include "sound_files.h"

using veltra::audio::Mixer;
using veltra::audio::SoundBatch;
using veltra::audio::voiceGains;

namespace {

// Where this process's output lands, or "" when it has no file to hear.
std::string capturePath() {
#if defined(_WIN32)
  const char* path = std::getenv("VELTRA_SOUND_CAPTURE");
  return path ? path : "";
#else
  const std::string path = testPath("capture.raw");
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", path.c_str(), 1);
  setenv("SDL_DISKAUDIODELAY", "0", 1);  // as fast as the mixer goes
  return path;
#endif
}

class SoundOutput : public FreshEngine {
 protected:
  void SetUp() override {
    FreshEngine::SetUp();
    veltra::audio::detail::resetSound();
  }
  void TearDown() override { veltra::audio::detail::resetSound(); }

  // The output's frame count once it has passed `frames`; fails after a while.
  static std::uint64_t waitFor(std::uint64_t frames) {
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    for (;;) {
      std::uint64_t now;
      {
        SoundBatch batch;
        now = veltra::audio::framesMixed();
      }
      if (now >= frames) return now;
      if (std::chrono::steady_clock::now() > give_up) {
        ADD_FAILURE() << "the output stopped at frame " << now << " of " << frames;
        return now;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  }
};

std::vector<std::int16_t> readCapture(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), {});
  std::vector<std::int16_t> samples(bytes.size() / 2);
  for (std::size_t i = 0; i < samples.size(); ++i)
    samples[i] = static_cast<std::int16_t>(static_cast<std::uint8_t>(bytes[2 * i]) |
                                           static_cast<std::uint8_t>(bytes[2 * i + 1]) << 8);
  return samples;
}

struct Heard {
  std::size_t frames = 0;        // rendered frames that reached the output, in order
  std::size_t silentFrames = 0;  // silence the output added of its own
};

// Follows the render through what the output wrote, frame by frame. The
// output may add silence of its own: before its first pull (SDL writes it
// while a device is paused) and where it ran dry (Wine's output, on a loaded
// machine). Every rendered frame must still arrive, unchanged and in order.
Heard hear(const std::vector<std::int16_t>& got, const std::vector<std::int16_t>& want) {
  Heard h;
  for (std::size_t i = 0, j = 0; i + 1 < want.size() && j + 1 < got.size(); j += 2) {
    if (got[j] == want[i] && got[j + 1] == want[i + 1]) {
      i += 2;
      ++h.frames;
    } else if (got[j] == 0 && got[j + 1] == 0) {
      ++h.silentFrames;
    } else {
      break;
    }
  }
  return h;
}

}  // namespace

TEST_F(SoundOutput, CarriesTheEnginesOwnMixSampleForSample) {
  const std::string capture = capturePath();
  if (capture.empty()) GTEST_SKIP() << "no capture file for this run";
  using tools::Shape;
  const Bytes blip = wavBytes(22050, 1, 8, tools::tone(660000, 4000, 22050, Shape::kSquare, 20000));
  const Bytes hum =
      wavBytes(44100, 2, 16, tools::tune({{-12, 1}, {-5, 1}, {0, 2}}, 2205, 44100, Shape::kTriangle, 16000));
  vLSound effect, music, chord;
  effect.LoadSound(writeSoundFile("blip.wav", blip).c_str());
  music.LoadSound(writeSoundFile("hum.wav", hum).c_str());
  chord.LoadSound(writeSoundFile("chord.ogg", chordOgg()).c_str());

  // Plays made in one batch start on the same frame; the first batch on the output's first frame.
  std::uint64_t second, third;
  {
    SoundBatch batch;
    effect.Play(0.8f, -0.3f);
    music.Loop(0.5f);
  }
  waitFor(6000);
  {
    SoundBatch batch;
    second = veltra::audio::framesMixed();
    chord.Play(1.0f, 0.6f);
    effect.Play(0.6f, 1.0f);
    vLSoundVolume(0.7f);
    EXPECT_TRUE(chord.Playing());  // nothing is mixed while the batch holds the output
  }
  waitFor(second + 12000);
  {
    SoundBatch batch;
    third = veltra::audio::framesMixed();
    EXPECT_TRUE(music.Playing());
    music.Stop();
    EXPECT_FALSE(music.Playing());
  }
  const std::uint64_t total = third + 24000;  // past the end of every sound
  waitFor(total + 48000);                     // and everything before it through the output
  veltra::audio::detail::resetSound();        // closes the output, so the file is complete

  std::vector<veltra::audio::Clip> clips = {clipOf(blip), clipOf(hum), clipOf(chordOgg())};
  Mixer m;
  std::vector<std::int16_t> want(2 * total);
  m.play(0, clips[0], voiceGains(0.8f, -0.3f), false);
  m.play(1, clips[1], voiceGains(0.5f, 0), true);
  m.mix(want.data(), static_cast<int>(second));
  m.play(2, clips[2], voiceGains(1.0f, 0.6f), false);
  m.play(0, clips[0], voiceGains(0.6f, 1.0f), false);
  m.setMaster(veltra::audio::masterGain(0.7f));
  m.mix(want.data() + 2 * second, static_cast<int>(third - second));
  m.stop(1);
  m.mix(want.data() + 2 * third, static_cast<int>(total - third));

  const Heard heard = hear(readCapture(capture), want);
  EXPECT_EQ(heard.frames, total) << "the output strays from the render at frame " << heard.frames;
  if (heard.frames == total) std::printf("the output added %zu frames of silence of its own\n", heard.silentFrames);
}

TEST_F(SoundOutput, AThousandVoicesWithHostileNumbersPlayOn) {
  if (capturePath().empty()) GTEST_SKIP() << "no capture file for this run";
  vLSound tick;
  tick.LoadSound(writeSoundFile("tick.wav", wavBytes(48000, 1, 16, std::vector<std::int16_t>(4800, 9000))).c_str());
  const float odd[] = {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(), -5.0f, 0.5f};
  ::testing::internal::CaptureStderr();
  for (int i = 0; i < 1000; ++i) tick.Play(odd[i % 4], odd[(i / 4) % 4]);
  for (float v : odd) {
    vLSoundVolume(v);
    tick.Loop(v);
  }
  const std::vector<std::string> said = veltraLines(::testing::internal::GetCapturedStderr());
  ASSERT_EQ(said.size(), 1u);
  EXPECT_EQ(said[0], "veltra: more than 256 sounds at once: each new one now cuts the oldest short");
  EXPECT_TRUE(tick.Playing());
  waitFor(waitFor(0) + 20000);  // the one-shots end; the loop plays on
  EXPECT_TRUE(tick.Playing());
  tick.Stop();
  EXPECT_FALSE(tick.Playing());
  vLSoundVolume(1);
}

TEST_F(SoundOutput, NoDeviceGoesOnSilentlyAfterOneLine) {
#if defined(_WIN32)
  // Under Wine with no sound card waveOut has no device; a run with a capture file has one.
  if (!capturePath().empty()) GTEST_SKIP() << "this run has an output";
#else
  setenv("SDL_AUDIODRIVER", "veltra-no-such-driver", 1);
#endif
  vLSound a, b;
  a.LoadSound(writeSoundFile("a.wav", wavBytes(48000, 1, 16, std::vector<std::int16_t>(48000, 1))).c_str());
  b.LoadSound(writeSoundFile("b.wav", wavBytes(8000, 2, 8, std::vector<std::int16_t>(800, 1))).c_str());
  ::testing::internal::CaptureStderr();
  a.Play(1, 0);
  b.Loop(1);
  a.Play(0.5f, 0.5f);
  vLSoundVolume(0.5f);
  const bool playing = a.Playing() || b.Playing();
  a.Stop();
  const std::vector<std::string> said = veltraLines(::testing::internal::GetCapturedStderr());
  EXPECT_FALSE(playing);
  ASSERT_EQ(said.size(), 1u);
  EXPECT_EQ(said[0].rfind("veltra: no sound output (", 0), 0u) << said[0];
  EXPECT_NE(said[0].find("): sounds play silently"), std::string::npos) << said[0];
}
