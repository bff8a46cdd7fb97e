// The integer mixer: how volumes and pans become gains, exact sums that
// saturate, loops, stops, the voice limit, and a mix that does not depend on
// how the output cuts it into blocks.
#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "audio/mixer.h"

using veltra::audio::Clip;
using veltra::audio::Gains;
using veltra::audio::kMaxVoices;
using veltra::audio::kUnity;
using veltra::audio::Mixer;
using veltra::audio::voiceGains;

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

Clip clip(int channels, std::vector<std::int16_t> samples) {
  Clip c;
  c.channels = channels;
  c.frames = static_cast<std::uint32_t>(samples.size() / channels);
  c.samples = std::move(samples);
  return c;
}

std::vector<std::int16_t> mixed(Mixer& m, int frames) {
  std::vector<std::int16_t> out(2 * static_cast<std::size_t>(frames));
  m.mix(out.data(), frames);
  return out;
}

const Gains kFull{kUnity, kUnity};

}  // namespace

TEST(SoundGains, VolumesAndPansAreClampedThenRoundedOnce) {
  struct Case {
    float volume, pan;
    std::int32_t left, right;
  } cases[] = {
      {1, 0, kUnity, kUnity}, {0.5f, 0, 16384, 16384},   {1, -1, kUnity, 0},
      {1, 1, 0, kUnity},      {1, 0.5f, 16384, kUnity},  {0.5f, -0.25f, 16384, 12288},
      {1e-6f, 0, 0, 0},       {3e-5f, 0, 1, 1},          {2, 0, kUnity, kUnity},
      {-1, 0, 0, 0},          {kNaN, 0, 0, 0},           {kInf, 0, kUnity, kUnity},
      {-kInf, 0.3f, 0, 0},    {1, kNaN, kUnity, kUnity}, {1, kInf, 0, kUnity},
      {1, -kInf, kUnity, 0},  {1, 7, 0, kUnity},         {-0.0f, -0.0f, 0, 0},
  };
  for (const Case& c : cases) {
    const Gains g = voiceGains(c.volume, c.pan);
    EXPECT_EQ(g.left, c.left) << c.volume << ", " << c.pan;
    EXPECT_EQ(g.right, c.right) << c.volume << ", " << c.pan;
  }
  EXPECT_EQ(veltra::audio::masterGain(1), kUnity);
  EXPECT_EQ(veltra::audio::masterGain(0.25f), kUnity / 4);
  EXPECT_EQ(veltra::audio::masterGain(kNaN), 0);
  EXPECT_EQ(veltra::audio::masterGain(9), kUnity);
}

TEST(SoundMixer, SumsVoicesExactlyAndSaturatesInsteadOfWrapping) {
  const Clip mono = clip(1, {100, -200, 30000});
  const Clip stereo = clip(2, {1, 2, 3, 4, 30000, -30000});
  Mixer m;
  m.play(0, mono, kFull, false);
  m.play(1, stereo, Gains{kUnity / 2, kUnity}, false);
  // Mono goes to both sides; stereo keeps its sides; halves round up.
  EXPECT_EQ(mixed(m, 4), (std::vector<std::int16_t>{101, 102, -198, -196, 32767, -30000 + 30000, 0, 0}));
  EXPECT_EQ(m.voices(), 0);

  const Clip low = clip(1, {-30000});
  m.play(2, low, kFull, false);
  m.play(3, low, kFull, false);
  m.setMaster(kUnity / 2);  // applied to the sum, before the clamp
  EXPECT_EQ(mixed(m, 1), (std::vector<std::int16_t>{-30000, -30000}));
  m.setMaster(kUnity);
  for (int i = 0; i < 3; ++i) m.play(2, low, kFull, false);
  EXPECT_EQ(mixed(m, 1), (std::vector<std::int16_t>{-32768, -32768}));
}

TEST(SoundMixer, LoopsGoRoundWithinABlockAndOneShotsEnd) {
  const Clip three = clip(1, {1, 2, 3});
  Mixer m;
  m.play(0, three, kFull, true);
  m.play(1, three, Gains{kUnity, 0}, false);
  EXPECT_TRUE(m.playing(0));
  const std::vector<std::int16_t> out = mixed(m, 7);
  EXPECT_EQ(out, (std::vector<std::int16_t>{2, 1, 4, 2, 6, 3, 1, 1, 2, 2, 3, 3, 1, 1}));
  EXPECT_FALSE(m.playing(1));
  EXPECT_TRUE(m.playing(0));

  // A second loop of the same sound restarts it instead of doubling.
  m.play(0, three, kFull, true);
  EXPECT_EQ(m.voices(), 1);
  EXPECT_EQ(mixed(m, 1), (std::vector<std::int16_t>{1, 1}));
  // Stop ends every voice of that sound and no other.
  m.play(1, three, kFull, false);
  m.play(0, three, kFull, false);
  m.stop(0);
  EXPECT_FALSE(m.playing(0));
  EXPECT_EQ(mixed(m, 1), (std::vector<std::int16_t>{1, 1}));
  // An empty clip starts nothing.
  EXPECT_EQ(m.play(5, Clip(), kFull, false), Mixer::Start::kNothingToPlay);
  EXPECT_FALSE(m.playing(5));
}

TEST(SoundMixer, ThousandsOfPlaysKeepTheVoiceLimitAndNeverCutALoop) {
  const Clip tick = clip(1, std::vector<std::int16_t>(100, 1000));
  Mixer m;
  m.play(-1, tick, kFull, true);
  int replaced = 0;
  for (int i = 0; i < 1000; ++i) replaced += m.play(i, tick, kFull, false) == Mixer::Start::kReplacedOldest;
  EXPECT_EQ(m.voices(), kMaxVoices);
  EXPECT_EQ(replaced, 1000 - (kMaxVoices - 1));
  EXPECT_TRUE(m.playing(-1));
  EXPECT_TRUE(m.playing(999));
  EXPECT_FALSE(m.playing(1000 - kMaxVoices));  // the oldest went first
  EXPECT_EQ(mixed(m, 1)[0], 32767);            // 256 voices of 1000, saturated

  Mixer loops;
  for (int i = 0; i < kMaxVoices; ++i) loops.play(i, tick, kFull, true);
  EXPECT_EQ(loops.play(kMaxVoices, tick, kFull, false), Mixer::Start::kNoVoiceFree);
  EXPECT_EQ(loops.voices(), kMaxVoices);
}

TEST(SoundMixer, TheMixDoesNotDependOnBlockSizes) {
  std::vector<std::int16_t> ramp(1500);
  for (std::size_t i = 0; i < ramp.size(); ++i) ramp[i] = static_cast<std::int16_t>(i * 37 % 60000 - 30000);
  const Clip a = clip(1, ramp), b = clip(2, ramp);
  auto run = [&](std::vector<int> blocks) {
    Mixer m;
    m.play(0, a, voiceGains(0.7f, -0.2f), true);
    m.play(1, b, voiceGains(0.9f, 0.6f), false);
    std::vector<std::int16_t> out;
    for (int n : blocks) {
      const std::vector<std::int16_t> part = mixed(m, n);
      out.insert(out.end(), part.begin(), part.end());
    }
    EXPECT_EQ(m.framesMixed(), out.size() / 2);
    return out;
  };
  const std::vector<std::int16_t> whole = run({4000});
  EXPECT_EQ(run({1, 255, 256, 257, 1023, 1024, 1184}), whole);
  EXPECT_EQ(run(std::vector<int>(40, 100)), whole);
}
