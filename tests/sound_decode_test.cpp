// Sound files to clips: the WAV kinds the engine reads and the ones it
// refuses, lying and truncated headers, Ogg Vorbis whole and broken, and the
// exact resampling rule to 48 kHz.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <limits>
#include <string>

#include "audio/resample.h"
#include "audio/vorbis_samples.h"
#include "audio/wav.h"
#include "sound_files.h"

using veltra::audio::Clip;
using veltra::audio::DecodeNotes;
using veltra::audio::Pcm;

namespace {

void put32(Bytes& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}
void put16(Bytes& b, std::size_t at, std::uint16_t v) {
  b[at] = static_cast<std::uint8_t>(v);
  b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
Bytes chunk(const char* id, const Bytes& body) {
  Bytes out(id, id + 4);
  out.resize(8);
  put32(out, 4, static_cast<std::uint32_t>(body.size()));
  out.insert(out.end(), body.begin(), body.end());
  if (body.size() & 1) out.push_back(0);
  return out;
}
// Offsets in what wavBytes() writes: fmt fields from 20, the data chunk's size at 40, samples from 44.
constexpr std::size_t kFormatTag = 20, kChannels = 22, kRate = 24, kBlockAlign = 32, kBits = 34, kDataSize = 40,
                      kSamples = 44;

Bytes stereo16() { return wavBytes(48000, 2, 16, {1, -1, 1000, -1000, 32767, -32768}); }

Pcm pcm(std::uint32_t rate, int channels, std::vector<std::int16_t> samples) {
  Pcm p;
  p.rate = rate;
  p.channels = channels;
  p.samples = std::move(samples);
  return p;
}

}  // namespace

TEST(SoundDecode, ReadsEveryWavKindItPlays) {
  const Bytes plain = stereo16();
  // The same samples in an extensible header, with the chunks reordered and odd-sized padding between.
  Bytes extensible(plain.begin(), plain.begin() + 12);
  Bytes format(plain.begin() + 20, plain.begin() + 36);
  put16(format, 0, 0xFFFE);
  format.resize(40);
  put16(format, 24, 1);  // the sub-format GUID starts with PCM
  const Bytes data(plain.begin() + 44, plain.end());
  for (const Bytes& c : {chunk("LIST", {1, 2, 3}), chunk("data", data), chunk("fmt ", format)})
    extensible.insert(extensible.end(), c.begin(), c.end());

  struct Case {
    const char* what;
    Bytes file;
    int channels;
    std::vector<std::int16_t> samples;
  } cases[] = {
      {"16-bit stereo", plain, 2, {1, -1, 1000, -1000, 32767, -32768}},
      {"extensible, reordered, padded", extensible, 2, {1, -1, 1000, -1000, 32767, -32768}},
      // 8-bit keeps the top byte: 0x7F00 and 0x8000 are its ends.
      {"8-bit mono", wavBytes(48000, 1, 8, {0, 256, -256, 32767, -32768}), 1, {0, 256, -256, 32512, -32768}},
      {"no samples", wavBytes(48000, 1, 16, {}), 1, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    DecodeNotes notes;
    const Clip clip = clipOf(c.file, &notes);
    EXPECT_EQ(notes.error, "");
    EXPECT_EQ(notes.warning, "");
    EXPECT_EQ(clip.channels, c.channels);
    EXPECT_EQ(clip.samples, c.samples);
  }
}

TEST(SoundDecode, RefusesWavFilesItCannotPlayAndSaysWhy) {
  using Edit = std::function<void(Bytes&)>;
  struct Case {
    Edit edit;
    const char* said;
  } cases[] = {
      {[](Bytes& b) { std::memcpy(b.data(), "RIFX", 4); }, "neither a WAV nor an Ogg Vorbis file"},
      {[](Bytes& b) { b.resize(11); }, "neither a WAV nor an Ogg Vorbis file"},
      {[](Bytes& b) { put16(b, kFormatTag, 3); }, "format 3 is not PCM"},
      {[](Bytes& b) { put16(b, kBits, 24), put16(b, kBlockAlign, 6); }, "24-bit samples"},
      {[](Bytes& b) { put16(b, kChannels, 6), put16(b, kBlockAlign, 12); }, "6 channels"},
      {[](Bytes& b) { put16(b, kChannels, 0), put16(b, kBlockAlign, 0); }, "0 channels"},
      {[](Bytes& b) { put16(b, kBlockAlign, 3); }, "block size 3 does not match 2 channels of 16 bits"},
      {[](Bytes& b) { put32(b, kRate, 0); }, "rate 0 Hz is outside 1000 to 384000 Hz"},
      {[](Bytes& b) { put32(b, kRate, 0xFFFFFFFFu); }, "rate 4294967295 Hz"},
      {[](Bytes& b) { put32(b, 16, 12); }, "fmt chunk is 12 bytes, too short"},
      {[](Bytes& b) { put32(b, 16, 0xFFFFFFF0u); }, "fmt chunk runs past the end"},
      {[](Bytes& b) { std::memcpy(b.data() + 12, "junk", 4); }, "no fmt chunk"},
      {[](Bytes& b) { std::memcpy(b.data() + 36, "junk", 4); }, "no data chunk"},
      {[](Bytes& b) { b.resize(40); }, "no data chunk"},
  };
  for (const Case& c : cases) {
    Bytes file = stereo16();
    c.edit(file);
    DecodeNotes notes;
    const Clip clip = clipOf(file, &notes);
    EXPECT_NE(notes.error.find(c.said), std::string::npos) << notes.error << " / expected: " << c.said;
    EXPECT_EQ(clip.frames, 0u);
  }
  // Over ten minutes, at the lowest rate so the file stays small.
  DecodeNotes notes;
  clipOf(wavBytes(1000, 1, 8, std::vector<std::int16_t>(600001)), &notes);
  EXPECT_EQ(notes.error, "it is longer than 10 minutes");
}

TEST(SoundDecode, KeepsTheWholeFramesOfADataChunkCutShort) {
  struct Case {
    std::uint32_t claimed;
    std::size_t keep;  // bytes of samples left in the file
    std::size_t frames;
  } cases[] = {
      {12, 12, 3},           // as written: no warning
      {12, 11, 2},           // cut mid-frame: the partial frame goes
      {0xFFFFFFFFu, 12, 3},  // a stream writer's "unknown" size
      {0x7FFFFFFFu, 0, 0},   // nothing there at all
  };
  for (const Case& c : cases) {
    Bytes file = stereo16();
    put32(file, kDataSize, c.claimed);
    file.resize(kSamples + c.keep);
    DecodeNotes notes;
    const Clip clip = clipOf(file, &notes);
    EXPECT_EQ(notes.error, "");
    EXPECT_EQ(clip.frames, c.frames);
    EXPECT_EQ(clip.samples.size(), 2 * c.frames);
    EXPECT_EQ(notes.warning.empty(), c.claimed == c.keep) << notes.warning;
  }
}

TEST(SoundDecode, DecodesTheCommittedOggWhole) {
  DecodeNotes notes;
  const Clip clip = clipOf(chordOgg(), &notes);
  EXPECT_EQ(notes.error, "");
  EXPECT_EQ(notes.warning, "");
  EXPECT_EQ(clip.channels, 2);
  EXPECT_EQ(clip.frames, 19200u);  // 0.4 s of 44.1 kHz, resampled
  int peak = 0;
  for (std::int16_t s : clip.samples) peak = std::max(peak, std::abs(static_cast<int>(s)));
  EXPECT_GT(peak, 15000);  // the triangle's 20000, less what lossy coding moves
}

TEST(SoundDecode, BrokenOggFilesGiveAnErrorOrWhatCameBeforeTheFault) {
  const Bytes whole = chordOgg();
  int refused = 0, partial = 0;
  // Cut at every 97th byte, and one byte flipped at every 89th: no crash,
  // no read past the end (the sanitizer leg checks), and a clear verdict.
  for (std::size_t n = 0; n < whole.size(); n += 97) {
    DecodeNotes notes;
    const Clip clip = clipOf(Bytes(whole.begin(), whole.begin() + n), &notes);
    EXPECT_NE(notes.error.empty(), clip.frames == 0) << n;
    refused += !notes.error.empty();
    partial += !notes.warning.empty() || (notes.error.empty() && clip.frames < 19200u);
  }
  for (std::size_t at = 0; at < whole.size(); at += 89) {
    Bytes bad = whole;
    bad[at] ^= 0x5A;
    DecodeNotes notes;
    clipOf(bad, &notes);
  }
  EXPECT_GT(refused, 0);
  EXPECT_GT(partial, 0);
  DecodeNotes notes;
  clipOf(Bytes{'O', 'g', 'g', 'S', 0, 2, 0, 0}, &notes);
  EXPECT_EQ(notes.error, "it ends early");
}

TEST(SoundDecode, RefusesOggCommentLengthsThatRunPastTheirPacket) {
  // The comment packet opens the second page, after the first page's 30-byte packet.
  const Bytes whole = chordOgg();
  const std::size_t packet = 58 + 27 + whole[58 + 26];
  ASSERT_EQ(std::string(whole.begin() + packet, whole.begin() + packet + 7), "\x03vorbis");
  const std::uint32_t vendor = whole[packet + 7] | whole[packet + 8] << 8;
  const std::size_t count = packet + 11 + vendor;
  struct Case {
    std::size_t at;
    std::uint32_t value;
  } cases[] = {
      {packet + 7, 0xFFFFFFFFu},  // a vendor "length" that wraps to an empty allocation
      {packet + 7, 0x7FFFFFF0u},  // one that does not fit
      {count, 0x20000001u},       // a count whose pointer array would overflow
      {count, 0x00010000u},       // more comments than bytes left
      {count, 1},                 // a comment the packet has no room for (this file has none)
  };
  for (const Case& c : cases) {
    Bytes bad = whole;
    put32(bad, c.at, c.value);
    DecodeNotes notes;
    const Clip clip = clipOf(bad, &notes);
    EXPECT_EQ(notes.error, "its comment header is broken") << std::hex << c.value;
    EXPECT_EQ(clip.frames, 0u);
  }
}

TEST(SoundDecode, RoundsVorbisSamplesAsTheDecoderDoesAndMixesDownBySpeakerLayout) {
  const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
  struct Case {
    float x;
    std::int16_t sample;
  } cases[] = {{0, 0},       {0.25f, 8192}, {0.5f / 32768, 0}, {1.5f / 32768, 2}, {1.0f / 32768, 1},
               {-3e-5f, -1}, {1, 32767},    {-1, -32768},      {1.5f, 32767},     {-7, -32768},
               {nan, 0},     {inf, 32767},  {-inf, -32768}};
  for (const Case& c : cases) EXPECT_EQ(veltra::audio::vorbisSample(c.x), c.sample) << c.x;

  // Three channels are left, centre, right; six are front left, centre, front
  // right, rear left, rear right and the low-frequency channel, left out.
  const float l[] = {0.5f}, centre[] = {0.5f}, r[] = {-0.5f}, none[] = {0}, lfe[] = {1};
  const float* three[] = {l, centre, r};
  const float* six[] = {none, none, none, l, r, lfe};
  std::vector<std::int16_t> out;
  veltra::audio::appendVorbisFrames(three, 3, 1, out);
  veltra::audio::appendVorbisFrames(six, 6, 1, out);
  // (0.5 + 0.25) / 1.5 and (-0.5 + 0.25) / 1.5; then 0.5 / 2.5 and -0.5 / 2.5.
  EXPECT_EQ(out, (std::vector<std::int16_t>{16384, -5461, 6554, -6554}));
}

TEST(SoundDecode, EveryInputThatOnceFailedTheFuzzerDecodesCleanly) {
  // Under the sanitizer leg this replays each finding with UBSan and ASan on.
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(VELTRA_SOUND_REGRESSIONS)) {
    std::ifstream in(entry.path(), std::ios::binary);
    const Bytes bytes((std::istreambuf_iterator<char>(in)), {});
    DecodeNotes notes;
    const Clip clip = clipOf(bytes, &notes);
    if (!notes.error.empty()) {
      EXPECT_EQ(clip.frames, 0u) << entry.path();
    }
    ++files;
  }
  EXPECT_GT(files, 0);
}

TEST(SoundResample, FollowsTheExactLinearRule) {
  struct Case {
    const char* what;
    Pcm in;
    std::vector<std::int16_t> out;
  } cases[] = {
      {"same rate copies", pcm(48000, 1, {5, -7, 9}), {5, -7, 9}},
      {"double: midpoints, last frame held", pcm(24000, 1, {0, 100, -100}), {0, 50, 100, 0, -100, -100}},
      {"half: every other frame", pcm(96000, 1, {1, 2, 3, 4, 5}), {1, 3, 5}},
      // Halfway between 0 and -1 is -0.5, which rounds up to 0; 3 at 2/3 is 2.
      {"halves round up", pcm(24000, 1, {0, -1, 0, 1}), {0, 0, -1, 0, 0, 1, 1, 1}},
      {"two thirds", pcm(32000, 1, {0, 3, 6}), {0, 2, 4, 6, 6}},
      {"channels apart", pcm(24000, 2, {0, 1000, 10, -1000}), {0, 1000, 5, 0, 10, -1000, 10, -1000}},
      {"full scale", pcm(24000, 1, {32767, -32768}), {32767, 0, -32768, -32768}},
      {"empty", pcm(11025, 2, {}), {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Clip clip = veltra::audio::resampleToOutput(c.in);
    EXPECT_EQ(clip.samples, c.out);
    EXPECT_EQ(clip.frames, c.out.size() / c.in.channels);
  }
  // The length is ceil(frames * 48000 / rate) at any rate.
  for (std::uint32_t rate : {1000u, 8000u, 11025u, 22050u, 44100u, 47999u, 48001u, 192000u, 384000u}) {
    const Clip clip = veltra::audio::resampleToOutput(pcm(rate, 1, std::vector<std::int16_t>(1000, 7)));
    EXPECT_EQ(clip.frames, (1000ull * 48000 + rate - 1) / rate) << rate;
    for (std::int16_t s : clip.samples) ASSERT_EQ(s, 7) << rate;
  }
}
