// What the web backend does beyond the shared pixel suite: the picture
// formats it reads, lines wider than a texture can be, fonts the page never
// registered, the bounded line cache, a device on a second canvas, and what
// Web Audio plays.
#include <emscripten/emscripten.h>
#include <malloc.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "audio/sound.h"
#include "pixel_checks.h"
#include "sound_files.h"

// The output renders into an OfflineAudioContext of `frames` frames, and
// keeps a copy of every block it pulls from the mix.
EM_JS(void, test_render_sound_offline, (int frames), {
  Module.veltraAudioContext = function() { return new OfflineAudioContext(2, frames, 48000); };
  Module.veltraAudioHeard = [];
});

// Renders it, after the program has ended too, and compares what it played
// with what it pulled: the page's Module.veltraAudioCheck, for tests/web_e2e.py.
EM_JS(int, test_check_sound_rendered, (), {
  var heard = Module.veltraAudioHeard;
  Module.veltraAudioCheck = Module.veltraAudio.context.startRendering().then(function(buffer) {
    var left = buffer.getChannelData(0), right = buffer.getChannelData(1);
    var frames = 0, wrong = 0, loud = 0;
    heard.forEach(function(block) {
      for (var i = 0; 2 * i < block.length && frames < buffer.length; i++, frames++) {
        wrong +=
            Math.round(left[frames] * 32768) != block[2 * i] || Math.round(right[frames] * 32768) != block[2 * i + 1];
        loud += block[2 * i] != 0;
      }
    });
    return {frames : frames, wrong : wrong, loud : loud};
  });
  return heard.length;
});

using WebText = Headless;
using WebDevice = Headless;

namespace {

using pixels::inkOn;

int fontOf(const char* face) {
  vLMaterial m;
  m.CreateFontA(16, true, face);
  return m.font;
}

Frame textFrame(vLDevice& device, int font, const std::string& text, float x, float y) {
  device.Clear(0, 0, 0);
  device.DrawT(font, text.c_str(), vLVector2{x, y, 0}, 255, 255, 255);
  return grabFrame();
}

}  // namespace

TEST_F(WebDevice, OnlyPngJpegBmpGifAndTgaAreDecodedWhateverTheName) {
  // A PNG under another name is read by its content; a well-formed PNM is not read at all.
  const std::string png = writePng("named", 2, 2, [](int, int) { return 0xFF102030u; });
  const std::string renamed = ::testing::TempDir() + "veltra_named.pnm";
  std::rename(png.c_str(), renamed.c_str());
  const std::string pnm = ::testing::TempDir() + "veltra_real.pnm";
  std::ofstream(pnm, std::ios::binary) << "P6\n2 2\n255\n" << std::string(12, '\x7f');
  ::testing::internal::CaptureStderr();
  vLMaterial read, refused;
  read.LoadTexture(renamed.c_str());
  refused.LoadTexture(pnm.c_str());
  EXPECT_EQ(read.TextureWidth(), 2);
  EXPECT_EQ(refused.TextureWidth(), 0);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "veltra: cannot load texture \"" + pnm + "\": not a picture this engine reads (unknown image type)\n");
}

TEST_F(WebText, ALineWiderThanATextureDrawsTheSamePixelsAsItsVisiblePart) {
  const int font = fontOf("Verdana");
  const Frame whole = textFrame(device, font, std::string(100, 'W'), 10, 10);
  ASSERT_GT(inkOn(whole, 0xFF000000u).right, kFrameWidth - 10);
  EXPECT_TRUE(textFrame(device, font, std::string(60000, 'W'), 10, 10).argb == whole.argb);
  // From far to the left, only the glyphs that reach the target show, where they belong.
  const std::string line(60000, 'W');
  const vLVector2 size = device.MeasureT(font, line.c_str());
  const Frame tail = textFrame(device, font, line, kFrameWidth / 2.0f - size.x, 10);
  const auto ink = inkOn(tail, 0xFF000000u);
  EXPECT_LE(ink.left, 2);
  EXPECT_NEAR(ink.right, kFrameWidth / 2, 3);
}

TEST_F(WebText, FacesThePageNeverRegisteredDrawWithTheShippedFont) {
  const Frame registered = textFrame(device, fontOf("Verdana"), "Points: 40", 10, 10);
  EXPECT_GT(inkOn(registered, 0xFF000000u).pixels, 100);
  for (const char* face : {"No Such Face", "quote\" and \\ back\nslash", ""})
    EXPECT_TRUE(textFrame(device, fontOf(face), "Points: 40", 10, 10).argb == registered.argb) << face;
}

TEST_F(WebText, ManyDifferentLinesKeepTheHeapBounded) {
  const int font = fontOf("Verdana");
  const auto drawLines = [&](int from, int count) {
    for (int i = from; i < from + count; ++i) {
      device.DrawT(font, ("Points: " + std::to_string(i)).c_str(), vLVector2{10, 10, 0}, 255, 0, 0);
      device.DrawAll();
    }
  };
  drawLines(0, 600);  // past the cache's 256 lines
  const std::size_t settled = mallinfo().uordblks;
  drawLines(600, 3000);
  EXPECT_LE(mallinfo().uordblks, settled + 4096);
}

TEST_F(WebDevice, ASecondCanvasDrawsOnlyWhatWasMadeOnIt) {
  const vLMaterial first = pixels::spriteOf(writePng("first", 4, 4, [](int, int) { return 0xFFFF0000u; }));
  const auto drawn = [&](const vLMaterial& m) {
    device.Clear(10, 20, 30);
    device.Draw(m, vLVector2{0, 0, 0}, vLVector2{0, 0, 0}, 0, 0, 0, 0);
    return grabFrame().at(1, 1);
  };
  // The same canvas again keeps its context: its textures still draw.
  ASSERT_TRUE(device.CreateDevice(headless::sharedWindow()));
  EXPECT_EQ(drawn(first), 0xFFFF0000u);

  const vLWindow second = headless::openWindow(kFrameWidth, kFrameHeight);
  ASSERT_TRUE(device.CreateDevice(second));
  EXPECT_EQ(drawn(first), pixels::kBackground);
  const vLMaterial own = pixels::spriteOf(writePng("own", 4, 4, [](int, int) { return 0xFF00FF00u; }));
  EXPECT_EQ(drawn(own), 0xFF00FF00u);
  headless::closeWindow(second);
}

TEST_F(WebDevice, AMissingCanvasGivesNoDeviceAndOneLine) {
  ::testing::internal::CaptureStderr();
  vLDevice other;
  EXPECT_FALSE(other.CreateDevice("#no-such-canvas"));
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "veltra: cannot create the device: the page has no canvas \"#no-such-canvas\"\n");
  ASSERT_TRUE(device.CreateDevice(headless::sharedWindow()));
}

TEST(WebSound, WebAudioPlaysTheEnginesMixSampleForSample) {
  test_render_sound_offline(48000);
  vLSound blip, chord;
  blip.LoadSound(
      writeSoundFile("blip.wav", wavBytes(22050, 1, 8, tools::tone(660000, 4000, 22050, tools::Shape::kSquare, 20000)))
          .c_str());
  chord.LoadSound(writeSoundFile("chord.ogg", chordOgg()).c_str());
  {
    veltra::audio::SoundBatch batch;  // both from the output's first frame
    blip.Play(0.8f, -0.3f);
    chord.Play(1.0f, 0.6f);
  }
  // An offline output pulls its whole length at its start.
  EXPECT_EQ(test_check_sound_rendered(), (48000 + 2047) / 2048);
}
