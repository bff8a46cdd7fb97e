// What the SDL backend does beyond the shared pixel suite: its text cache,
// the cutting of lines wider than the target, fontconfig's fallbacks, and a
// window that goes away under its renderer.
#include "platform/sdl/sdl_backend.h"

#include <SDL.h>
#include <SDL_ttf.h>
#include <fontconfig/fontconfig.h>

#include "pixel_checks.h"

using Text = Headless;
using SdlDevice = Headless;

namespace {

using pixels::Box;
using pixels::inkOn;

int fontOf(int height, bool flag = true, const char* face = "Verdana") {
  vLMaterial m;
  m.CreateFontA(height, flag, face);
  return m.font;
}

}  // namespace

TEST_F(Text, LongLinesAndManyLinesDrawWhatTheTargetShows) {
  const int font = fontOf(16);
  const auto frameOf = [&](const std::string& text, float x, float y) {
    device.Clear(0, 0, 0);
    device.DrawT(font, text.c_str(), vLVector2{x, y, 0}, 255, 255, 255);
    return grabFrame();
  };
  // Past the target's right edge a line is cut; what shows is the same.
  const Frame whole = frameOf(std::string(100, 'W'), 10, 10);
  ASSERT_GT(inkOn(whole, 0xFF000000u).right, kFrameWidth - 10);
  EXPECT_EQ(frameOf(std::string(60000, 'W'), 10, 10).argb, whole.argb);

  // Starting far left, only the part that reaches the target is rendered.
  // Digits have one advance and no kerning, so only rounding can differ.
  std::string digits;
  for (int i = 0; i < 25; ++i) digits += "0123456789";
  const Frame reference = frameOf(digits, -1200, 30);
  const Box refInk = inkOn(reference, 0xFF000000u);
  ASSERT_GT(refInk.pixels, 200);
  ASSERT_LT(refInk.left, 10);
  std::string longer = digits;
  for (int i = 0; i < 400; ++i) longer += "0123456789";
  const Frame cut = frameOf(longer, -1200, 30);
  int differ = 0;
  for (int y = 0; y < kFrameHeight; ++y)
    for (int x = 0; x < refInk.right - 16; ++x) differ += cut.at(x, y) != reference.at(x, y);
  EXPECT_LT(differ, refInk.pixels / 20);

  // Thousands of lines: those below the target are never reached, and the
  // first ones land where a short text puts them.
  std::string lines;
  for (int i = 0; i < 10000; ++i) lines += "line\n";
  const Frame two = frameOf("line\nline", 10, 10);
  const Frame many = frameOf(lines, 10, 10);
  for (int y = 0; y < 10 + 2 * 16; ++y)
    for (int x = 0; x < kFrameWidth; ++x) ASSERT_EQ(many.at(x, y), two.at(x, y)) << x << ", " << y;
  EXPECT_GT(inkOn(many, 0xFF000000u).bottom, kFrameHeight - 20);
}

TEST_F(Text, ALineWiderThanTheTargetRendersOnlyTheGlyphsThatShowWithTheSamePixels) {
  // Digits share one advance and no kerning: a cut between them moves no pixel.
  const int font = fontOf(96);
  const char* digits = "0123456789";
  const auto frameAt = [&](float x, const char* text) {
    veltra::sdl::clearTextCache();
    device.Clear(0, 0, 0);
    device.DrawT(font, text, vLVector2{x, 40, 0}, 255, 255, 255);
    return grabFrame();
  };
  const Frame whole = frameAt(60, digits);
  const std::size_t wholeBytes = veltra::sdl::textCacheStats().bytes;
  const Box ink = inkOn(whole, 0xFF000000u);
  ASSERT_GT(ink.left, 60);
  ASSERT_LT(ink.right, kFrameWidth - 1);  // fits whole
  const int shift = 360;
  const Frame cut = frameAt(60 - shift, digits);
  EXPECT_LT(veltra::sdl::textCacheStats().bytes, wholeBytes * 3 / 4);  // the hidden digits were not rendered
  int differ = 0;
  for (int y = 0; y < kFrameHeight; ++y)
    for (int x = 0; x < kFrameWidth; ++x)
      differ += cut.at(x, y) != (x + shift < kFrameWidth ? whole.at(x + shift, y) : 0xFF000000u);
  EXPECT_EQ(differ, 0);

  // Kerned pairs and glyphs that reach past their advance, cut anywhere.
  const char* kerned = "AVAWAY To Pj";
  const Frame wholeKerned = frameAt(20, kerned);
  for (int cutAt = 120; cutAt < 620; cutAt += 9) {
    const Frame f = frameAt(20 - cutAt, kerned);
    int off = 0;
    for (int y = 0; y < kFrameHeight; ++y)
      for (int x = 0; x + cutAt < kFrameWidth; ++x) off += f.at(x, y) != wholeKerned.at(x + cutAt, y);
    EXPECT_EQ(off, 0) << cutAt;
  }
  // Drawn again in place, the kept cut gives the same frame.
  const Frame once = frameAt(-300, kerned);
  device.Clear(0, 0, 0);
  device.DrawT(font, kerned, vLVector2{-300, 40, 0}, 255, 255, 255);
  EXPECT_TRUE(grabFrame().argb == once.argb);

  // Cut on the right too, and then a line already rendered whole is drawn from the cache.
  const Frame right = frameAt(400, digits);
  for (int y = 0; y < kFrameHeight; ++y)
    for (int x = 400; x < kFrameWidth; ++x) ASSERT_EQ(right.at(x, y), whole.at(x - 340, y)) << x << ", " << y;
  device.DrawT(font, digits, vLVector2{60, 40, 0}, 255, 255, 255);
  const auto rasterised = veltra::sdl::textCacheStats().rasterised;
  device.DrawT(font, digits, vLVector2{60 - shift, 40, 0}, 255, 255, 255);
  EXPECT_EQ(veltra::sdl::textCacheStats().rasterised, rasterised);
}

TEST_F(Text, HeightIsTheCellHeightAndBothWeightsAreRegular) {
  for (int height : {8, 12, 16, 24, 33, 64}) {
    const int font = fontOf(height);
    EXPECT_EQ(veltra::sdl::cellHeight(veltra::fontTable().at(font)), height) << height;
  }
  // Weight 0 and weight 1 draw the same pixels.
  Frame drawn[2];
  for (bool flag : {false, true}) {
    const int font = fontOf(16, flag);
    device.Clear(0, 0, 0);
    device.DrawT(font, "Weight", vLVector2{30, 30, 0}, 255, 255, 255);
    drawn[flag] = grabFrame();
  }
  EXPECT_TRUE(drawn[0].argb == drawn[1].argb);

  ::testing::internal::CaptureStderr();
  for (int height : {0, -16, 100000}) EXPECT_EQ(veltra::fontTable().at(fontOf(height)), nullptr) << height;
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("veltra: cannot create font \"Verdana\": height 0 is outside 1 to 1024\n"), std::string::npos)
      << err;
}

TEST_F(Text, MissingFacesFallBackToAnInstalledFont) {
  // Without Verdana installed, it resolves as the default sans face does.
  FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("Verdana"));
  FcObjectSet* family = FcObjectSetBuild(FC_FAMILY, nullptr);
  FcFontSet* verdanas = FcFontList(nullptr, pattern, family);
  const bool haveVerdana = verdanas && verdanas->nfont > 0;
  FcFontSetDestroy(verdanas);
  FcObjectSetDestroy(family);
  FcPatternDestroy(pattern);

  const veltra::sdl::FontFile verdana = veltra::sdl::findFontFile("Verdana", 1);
  ASSERT_FALSE(verdana.path.empty());
  if (!haveVerdana) {
    EXPECT_EQ(verdana.path, veltra::sdl::findFontFile("sans-serif", 0).path);
  }
  const veltra::sdl::FontFile bold = veltra::sdl::findFontFile("DejaVu Sans", 700);
  EXPECT_TRUE(bold.bold) << bold.path;
  EXPECT_FALSE(veltra::sdl::findFontFile("DejaVu Sans", 1).bold);
  EXPECT_FALSE(veltra::sdl::findFontFile("No Such Face 7f3a", 0).path.empty());
  for (const char* face : {"Verdana", "No Such Face 7f3a", ""}) {
    EXPECT_NE(veltra::fontTable().at(fontOf(16, true, face)), nullptr) << face;
  }
}

TEST_F(Text, RepeatedTextIsRasterisedOnceAndTheCacheStaysBounded) {
  using veltra::sdl::textCacheStats;
  veltra::sdl::clearTextCache();
  const int font = fontOf(16), other = fontOf(16);
  const auto start = textCacheStats().rasterised;
  for (int frame = 0; frame < 100; ++frame) {
    device.DrawT(font, "Points: 7", vLVector2{10, 10, 0}, 255, 0, 0);
    device.DrawT(font, "Points: 7", vLVector2{10, 40, 0}, frame % 2, 255, 0);
  }
  // The software renderer keeps a line per colour: it blits colour-modulated
  // textures several times slower than plain ones.
  EXPECT_EQ(textCacheStats().rasterised - start, 3u);
  device.DrawT(other, "Points: 7", vLVector2{10, 10, 0}, 255, 0, 0);  // another font is another raster
  EXPECT_EQ(textCacheStats().rasterised - start, 4u);

  // Past the bound the least recently drawn text goes first.
  const std::size_t extra = 20;
  for (std::size_t i = 0; i < veltra::sdl::kTextCacheEntries + extra; ++i) {
    device.DrawT(font, ("line " + std::to_string(i)).c_str(), vLVector2{0, 0, 0}, 255, 255, 255);
    device.DrawT(font, "Points: 7", vLVector2{10, 10, 0}, 255, 0, 0);  // kept fresh
  }
  const veltra::sdl::TextCacheStats stats = textCacheStats();
  EXPECT_EQ(stats.entries, veltra::sdl::kTextCacheEntries);
  EXPECT_LE(stats.bytes, veltra::sdl::kTextCacheBytes);
  const auto before = stats.rasterised;
  device.DrawT(font, "Points: 7", vLVector2{10, 10, 0}, 255, 0, 0);
  EXPECT_EQ(textCacheStats().rasterised, before);
  device.DrawT(font, "line 0", vLVector2{10, 10, 0}, 255, 0, 0);
  EXPECT_EQ(textCacheStats().rasterised, before + 1);
}

TEST_F(SdlDevice, AGoneWindowStopsDrawingAndEachWindowKeepsItsTextures) {
  const pixels::Placement p{6, 4, 0, 0, 10, 10, 0};
  pixels::drawPlacement(device, p);  // a texture made on the shared window
  const vLMaterial onFirst{veltra::textureTable().count() - 1, veltra::spriteTable().count() - 1, -1};

  SDL_Window* second = SDL_CreateWindow("second", 0, 0, 64, 64, SDL_WINDOW_HIDDEN);
  ASSERT_TRUE(device.CreateDevice(second));
  vLMaterial text;
  text.CreateFontA(16, false, "DejaVu Sans");
  ::testing::internal::CaptureStderr();
  SDL_DestroyWindow(second);
  for (int frame = 0; frame < 3; ++frame) {
    device.Clear(1, 2, 3);
    device.Draw(onFirst, vLVector2{0, 0, 0}, vLVector2{0, 0, 0}, 0, 0, 0, 0);
    device.DrawT(text.font, "Gone", vLVector2{0, 0, 0}, 255, 255, 255);
    device.DrawAll();
  }
  EXPECT_FALSE(device.Screenshot((::testing::TempDir() + "veltra_gone.png").c_str()));
  const std::string err = ::testing::internal::GetCapturedStderr();
  // Told once, however many frames repeat it.
  EXPECT_EQ(err.find("veltra: the device's window or renderer is gone: drawing stops until the next CreateDevice\n"),
            0u)
      << err;
  EXPECT_EQ(err.find("is gone"), err.rfind("is gone")) << err;

  // Back on the first window, its renderer and textures are as they were.
  ASSERT_TRUE(device.CreateDevice(headless::sharedWindow()));
  device.Clear(10, 20, 30);
  device.Draw(onFirst, vLVector2{p.x, p.y, 0}, vLVector2{0, 0, 0}, 0, 0, 0, 0);
  EXPECT_EQ(pixels::countDifferences(grabFrame(), p), 0);
}
