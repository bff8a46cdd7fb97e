// What every backend must draw, read back from real renders through the
// public API. Each backend runs these same cases with its own headless window
// and tolerances (headless_<backend>.cpp).
#include <cmath>
#include <cstdio>
#include <limits>
#include <vector>

#include "pictures.h"
#include "pixel_checks.h"

using Pixels = Headless;

namespace {

using namespace pixels;

constexpr float kInf = std::numeric_limits<float>::infinity();

// Clear(r, g, b) takes each component modulo 256 and draws opaque.
struct ClearCase {
  int r, g, b;
  std::uint32_t argb;
};

int fontOf(int height, bool flag = true, const char* face = "Verdana") {
  vLMaterial m;
  m.CreateFontA(height, flag, face);
  return m.font;
}

Frame textFrame(vLDevice& device, int font, const char* text, vLVector2 at, int r, int g, int b) {
  device.Clear(0, 0, 0);
  device.BeginRender();
  device.DrawT(font, text, at, r, g, b);
  device.EndRender();
  return grabFrame();
}

}  // namespace

TEST_F(Pixels, ClearTakesEachComponentModulo256WithOpaqueAlpha) {
  constexpr ClearCase cases[] = {
      {10, 20, 30, 0xFF0A141Eu}, {256, -1, 300, 0xFF00FF2Cu}, {0, 0, 0, 0xFF000000u}, {-256, 511, 255, 0xFF00FFFFu}};
  // A corner, a pixel near the middle and the far corner.
  constexpr int probes[][2] = {{0, 0}, {kFrameWidth / 2 + 17, kFrameHeight / 2}, {kFrameWidth - 1, kFrameHeight - 1}};
  for (const ClearCase& c : cases) {
    device.Clear(c.r, c.g, c.b);
    const Frame f = grabFrame();
    for (const auto& at : probes) EXPECT_EQ(f.at(at[0], at[1]), c.argb) << c.r << ", " << c.g << ", " << c.b;
  }
}

TEST_F(Pixels, TexturesKeepTheirImageSize) {
  // A loader that rounds up to powers of two would make these 64 x 32 and 256 x 32.
  for (const auto& size : {std::pair<int, int>{40, 20}, {150, 20}, {14, 14}}) {
    const vLMaterial m = spriteOf(writePng("size", size.first, size.second, patterned));
    const veltra::platform::Texture* texture = veltra::textureTable().at(m.texture);
    ASSERT_NE(texture, nullptr);
    const veltra::platform::Size got = veltra::platform::textureSize(texture);
    EXPECT_EQ(got.width, size.first);
    EXPECT_EQ(got.height, size.second);
  }
}

TEST_F(Pixels, DrawPutsThePivotOnThePositionAndTurnsClockwise) {
  const Placement cases[] = {
      {6, 4, 7, 7, 100, 50, 0},     // top-left at position - pivot, outside the image
      {40, 20, 0, 0, 300, 200, 0},  // drawn at the image's own size
      {40, 20, 20, 10, 620, 190, 0}, {150, 20, 75, 10, 320, 440, 0}, {14, 14, 7, 7, 310, 478, 0},  // the game's
      {5, 3, 1, 0, 100, 50, 90},  // one texel right of the pivot lands one pixel below
      {6, 4, 2, 1, 200, 100, 90},    {7, 4, 3, 2, 150, 120, 180},    {5, 8, 0, 0, 320, 240, 270},
      {5, 8, 4, 7, 320, 240, -90},   {9, 6, 4, 3, 60, 400, 450},  // a turn and a quarter is a quarter
      {9, 6, 4, 3, 60, 400, 360},    {8, 8, 4, 4, 3, 2, 90},      // partly off the target
  };
  for (const Placement& p : cases) {
    drawPlacement(device, p);
    EXPECT_EQ(countDifferences(grabFrame(), p), 0) << p.w << "x" << p.h << " pivot " << p.pivotX << "," << p.pivotY
                                                   << " at " << p.x << "," << p.y << " angle " << p.angle;
  }
}

TEST_F(Pixels, OddAnglesStayCloseToTheExactTurn) {
  // Off the right angles a pixel takes the texel under its centre or, near an
  // edge, a neighbour; a filtering backend may mix them.
  const Placement p{24, 16, 12, 8, 320, 240, 30};
  drawPlacement(device, p);
  const Frame f = grabFrame();
  int inside = 0, wrongInside = 0;
  const double t = p.angle * 3.14159265358979323846 / 180.0;
  for (int y = 200; y < 280; ++y)
    for (int x = 280; x < 360; ++x) {
      const double dx = x + 0.5 - p.x, dy = y + 0.5 - p.y;
      const double u = p.pivotX + std::cos(t) * dx + std::sin(t) * dy,
                   v = p.pivotY - std::sin(t) * dx + std::cos(t) * dy;
      if (u < -1 || v < -1 || u > p.w + 1 || v > p.h + 1) {
        EXPECT_EQ(f.at(x, y), kBackground) << x << "," << y;
      }
      if (!(u > 1 && v > 1 && u < p.w - 1 && v < p.h - 1)) continue;
      ++inside;
      const std::uint32_t got = f.at(x, y);
      bool near = false, mixed = headless::kNeighbourShare > 0;
      int low[3] = {255, 255, 255}, high[3] = {0, 0, 0};
      for (int du = -1; du <= 1; ++du)
        for (int dv = -1; dv <= 1; ++dv) {
          const std::uint32_t texel = patterned(static_cast<int>(u) + du, static_cast<int>(v) + dv);
          near |= got == texel;
          for (int c = 0; c < 3; ++c)
            low[c] = std::min(low[c], channel(texel, 8 * c)), high[c] = std::max(high[c], channel(texel, 8 * c));
        }
      for (int c = 0; c < 3; ++c) mixed &= channel(got, 8 * c) >= low[c] - 2 && channel(got, 8 * c) <= high[c] + 2;
      wrongInside += !(near || mixed);
    }
  EXPECT_GT(inside, 250);
  EXPECT_EQ(wrongInside, 0);
}

TEST_F(Pixels, TrailingIntsAndZFieldsChangeNothing) {
  const Placement p{6, 5, 2, 2, 100, 100, 90};
  drawPlacement(device, p, 0, 0, 0, 0);
  const Frame plain = grabFrame();
  drawPlacement(device, p, 12, 12, 12, 5);
  EXPECT_TRUE(plain.argb == grabFrame().argb);
}

TEST_F(Pixels, HalfTransparentTexelsBlendOverTheBackground) {
  // (255, 0, 0) at alpha 128 over (0, 0, 255); integer blending may round by one.
  const vLMaterial m = spriteOf(writePng("halfred", 4, 4, [](int, int) { return 0x80FF0000u; }));
  device.Clear(0, 0, 255);
  device.BeginRender();
  device.Draw(m, vLVector2{20, 20, 0}, vLVector2{0, 0, 0}, 0, 0, 0, 0);
  device.EndRender();
  const Frame f = grabFrame();
  const std::uint32_t got = f.at(21, 21);
  EXPECT_NEAR(channel(got, 16), 128, 1);
  EXPECT_EQ(channel(got, 8), 0);
  EXPECT_NEAR(channel(got, 0), 127, 1);
  EXPECT_EQ(f.at(24, 21), 0xFF0000FFu);
}

TEST_F(Pixels, MissingFilesAndEmptySlotsDrawNothing) {
  // A missing file, a file that is no image and no file name each say so in
  // one line; neither they nor a material whose sprite slot is empty draw.
  const std::string garbage = ::testing::TempDir() + "veltra_garbage.png";
  if (std::FILE* f = std::fopen(garbage.c_str(), "wb")) {
    std::fputs("not an image at all", f);
    std::fclose(f);
  }
  ::testing::internal::CaptureStderr();
  vLMaterial missing, broken, nameless;
  missing.LoadTexture("no/such/block.png");
  broken.LoadTexture(garbage.c_str());
  nameless.LoadTexture(nullptr);
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(missing.texture, 0);
  EXPECT_EQ(broken.texture, 1);
  EXPECT_EQ(nameless.texture, 2);
  EXPECT_NE(err.find("veltra: cannot load texture \"no/such/block.png\": No such file or directory\n"),
            std::string::npos)
      << err;
  EXPECT_NE(err.find("veltra: cannot load texture \"" + garbage + "\": "), std::string::npos) << err;
  EXPECT_NE(err.find("veltra: cannot load texture: no file name given\n"), std::string::npos) << err;

  vLMaterial spriteless = spriteOf(writePng("white", 8, 8, [](int, int) { return 0xFFFFFFFFu; }));
  spriteless.sprite = veltra::spriteTable().append(nullptr);
  for (vLMaterial* m : {&missing, &broken, &nameless}) m->CreateSprite();
  device.Clear(10, 20, 30);
  device.BeginRender();
  for (const vLMaterial& m : {missing, broken, nameless, spriteless}) {
    device.SetTexture(m);
    device.Draw(m, vLVector2{50, 50, 0}, vLVector2{0, 0, 0}, 0, 0, 0, 0);
  }
  device.EndRender();
  EXPECT_EQ(inkOn(grabFrame(), kBackground).pixels, 0);
}

TEST_F(Pixels, NonFiniteOrFarPlacementsDrawNothing) {
  const vLMaterial m = spriteOf(writePng("far", 8, 8, [](int, int) { return 0xFFFFFFFFu; }));
  const struct {
    float x, y, angle;
  } cases[] = {{NAN, 10, 0},    {10, kInf, 0}, {-kInf, 10, 45}, {3e9f, 10, 0},
               {10, -3e9f, 90}, {10, 10, NAN}, {10, 10, kInf}};
  device.Clear(10, 20, 30);
  device.BeginRender();
  for (const auto& c : cases) device.Draw(m, vLVector2{c.x, c.y, 0}, vLVector2{4, 4, 0}, c.angle, 0, 0, 0);
  device.EndRender();
  EXPECT_EQ(inkOn(grabFrame(), kBackground).pixels, 0);
}

TEST_F(Pixels, ScreenshotWritesTheBackBufferAsItStands) {
  drawPlacement(device, Placement{6, 4, 0, 0, 10, 10, 0});
  const std::string shot = ::testing::TempDir() + "veltra_shot.png";
  ASSERT_TRUE(device.Screenshot(shot.c_str()));
  Frame written;
  ASSERT_TRUE(headless::readPng(shot, written));
  ASSERT_EQ(written.width, kFrameWidth);
  ASSERT_EQ(written.height, kFrameHeight);
  const Frame f = grabFrame();
  int wrong = 0;
  for (std::size_t i = 0; i < f.argb.size(); ++i) wrong += (written.argb[i] | 0xFF000000u) != f.argb[i];
  EXPECT_EQ(wrong, 0);

  ::testing::internal::CaptureStderr();
  const std::string nowhere = ::testing::TempDir() + "no_such_folder/shot.png";
  EXPECT_FALSE(device.Screenshot(nullptr));
  EXPECT_FALSE(device.Screenshot(nowhere.c_str()));
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("veltra: cannot save a screenshot: no file name given\n"), std::string::npos) << err;
  EXPECT_NE(err.find("veltra: cannot save screenshot \"" + nowhere + "\": "), std::string::npos) << err;
}

TEST_F(Pixels, TexturesOfAnEarlierDeviceAreSkippedWithOneLine) {
  // A second CreateDevice leaves the first device's textures in their table.
  const vLMaterial onFirst = spriteOf(writePng("first", 6, 4, patterned));
  const vLWindow second = headless::openWindow(64, 64);
  ASSERT_TRUE(device.CreateDevice(second));
  vLMaterial freshSprite = onFirst;
  freshSprite.CreateSprite();
  ::testing::internal::CaptureStderr();
  for (int frame = 0; frame < 3; ++frame) {
    device.Clear(1, 2, 3);
    device.BeginRender();
    device.SetTexture(onFirst);
    device.Draw(freshSprite, vLVector2{0, 0, 0}, vLVector2{0, 0, 0}, 0, 0, 0, 0);
    device.Draw(onFirst, vLVector2{0, 0, 0}, vLVector2{0, 0, 0}, 0, 0, 0, 0);
    device.EndRender();
    veltra::platform::Image f;
    veltra::platform::Why why;
    ASSERT_TRUE(veltra::platform::readBackBuffer(f, why)) << why;
    for (std::uint32_t p : f.argb) ASSERT_EQ(p, 0xFF010203u);
    if (frame < 2) device.DrawAll();
  }
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "veltra: a texture made on an earlier device is not drawn: load it again\n");
  ASSERT_TRUE(device.CreateDevice(headless::sharedWindow()));
  headless::closeWindow(second);
}

TEST_F(Pixels, EveryCallAfterTheWindowIsDestroyedIsHarmless) {
  const vLWindow doomed = headless::openWindow(64, 48);
  ASSERT_NE(doomed, nullptr);
  ASSERT_TRUE(device.CreateDevice(doomed));
  vLMaterial m, font;
  m.LoadTexture(writePng("doomed", 4, 4, [](int, int) { return 0xFFFFFFFFu; }).c_str());
  m.CreateSprite();
  font.CreateFontA(16, true, "Verdana");
  headless::closeWindow(doomed);

  ::testing::internal::CaptureStderr();
  for (int frame = 0; frame < 3; ++frame) {
    device.Clear(10, 20, 30);
    device.BeginRender();
    device.SetTexture(m);
    device.Draw(m, vLVector2{5, 5, 0}, vLVector2{2, 2, 0}, 45, 12, 12, 12);
    device.DrawT(font.font, "Points: 3", vLVector2{10, 10, 0}, 255, 0, 0);
    device.EndRender();
    device.Screenshot((::testing::TempDir() + "veltra_gone.png").c_str());
    device.DrawAll();
    device.Lighting(1);
    device.ZAxis(false);
  }
  vLMaterial late;
  late.LoadTexture("block.png");
  late.CreateSprite();
  late.CreateFontA(16, true, "Verdana");
  const std::string err = ::testing::internal::GetCapturedStderr();
  for (std::size_t at = 0; at < err.size(); at = err.find('\n', at) + 1) EXPECT_EQ(err.compare(at, 8, "veltra: "), 0);
  EXPECT_EQ(late.texture, m.texture + 1);
  EXPECT_EQ(late.sprite, m.sprite + 1);

  // The engine comes back on a living window.
  ASSERT_TRUE(device.CreateDevice(headless::sharedWindow()));
  vLMaterial again = spriteOf(writePng("again", 4, 4, [](int, int) { return 0xFFFFFFFFu; }));
  device.Clear(10, 20, 30);
  device.BeginRender();
  device.Draw(again, vLVector2{0, 0, 0}, vLVector2{0, 0, 0}, 0, 0, 0, 0);
  device.EndRender();
  EXPECT_EQ(grabFrame().at(1, 1), 0xFFFFFFFFu);
}

TEST_F(Pixels, RedTextDrawsOpaqueRedFromTheTruncatedPosition) {
  const int font = fontOf(16);
  ASSERT_NE(veltra::fontTable().at(font), nullptr);
  const Frame f = textFrame(device, font, "Points: 40", vLVector2{10.9f, 20.5f, 0}, 255, 0, 0);
  const Box ink = inkOn(f, 0xFF000000u);
  EXPECT_GT(ink.pixels, 100);
  EXPECT_GE(ink.left, 10);
  EXPECT_LE(ink.left, 12);  // the glyph's own side bearing
  EXPECT_GE(ink.top, 20);
  EXPECT_LT(ink.bottom, 20 + 16);
  EXPECT_GE(ink.bottom - ink.top + 1, headless::kCapitalHeight16);
  for (std::uint32_t p : f.argb) ASSERT_EQ(p & 0x0000FFFFu, 0u) << std::hex << p;  // only shades of red

  // Thin 16-pixel glyphs cover few pixels fully; large stems reach the full colour.
  int opaqueRed = 0;
  for (std::uint32_t p : textFrame(device, fontOf(48), "HI", vLVector2{100, 100, 0}, 255, 0, 0).argb)
    opaqueRed += p == 0xFFFF0000u;
  EXPECT_GT(opaqueRed, 50);

  // Nothing is clipped: text runs on past the far corner.
  const Box corner = inkOn(textFrame(device, font, "Points: 40", vLVector2{560, 470, 0}, 255, 0, 0), 0xFF000000u);
  EXPECT_GE(corner.left, 560);
  EXPECT_GE(corner.top, 470);
  EXPECT_GT(corner.pixels, 30);
}

TEST_F(Pixels, EmptyAndOffTargetTextDrawNothing) {
  const int font = fontOf(16);
  ::testing::internal::CaptureStderr();
  device.Clear(10, 20, 30);
  device.BeginRender();
  for (const vLVector2 at :
       {vLVector2{700, 10, 0}, vLVector2{-3e9f, 10, 0}, vLVector2{10, 3e9f, 0}, vLVector2{NAN, -NAN, 0}})
    device.DrawT(font, "Points: 1", at, 255, 0, 0);
  for (const char* text : {"", "   ", static_cast<const char*>(nullptr)})
    device.DrawT(font, text, vLVector2{10, 10, 0}, 255, 255, 255);
  device.EndRender();
  EXPECT_EQ(inkOn(grabFrame(), kBackground).pixels, 0);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

TEST_F(Pixels, NewlinesStartNewLines) {
  const Box ink =
      inkOn(textFrame(device, fontOf(16), "Top\nBottom", vLVector2{100, 100, 0}, 255, 255, 255), 0xFF000000u);
  EXPECT_GE(ink.top, 100);
  EXPECT_GE(ink.bottom, 100 + 16 + 8);
  EXPECT_LT(ink.bottom, 100 + 2 * 16 + 4);
}

namespace {

// Draws p with DrawEx: its part, its scale, and the colour given.
void drawPlacementEx(vLDevice& device, const Placement& p, int r = 255, int g = 255, int b = 255, int a = 255) {
  const vLMaterial m =
      spriteOf(writePng("sheet" + std::to_string(p.w) + "x" + std::to_string(p.h), p.w, p.h, patterned));
  device.Clear(10, 20, 30);
  device.BeginRender();
  device.DrawEx(m, vLVector2{p.x, p.y, 0}, vLVector2{p.pivotX, p.pivotY, 0}, p.angle, vLVector2{p.scaleX, p.scaleY, 0},
                vLRect{static_cast<float>(p.partX), static_cast<float>(p.partY), static_cast<float>(p.partW),
                       static_cast<float>(p.partH)},
                r, g, b, a);
  device.EndRender();
}

vLMaterial filled(const char* name, std::uint32_t argb) {
  return spriteOf(writePng(name, 4, 4, [argb](int, int) { return argb; }));
}

}  // namespace

TEST_F(Pixels, DrawExWithNeutralArgumentsDrawsWhatDrawDraws) {
  const Placement cases[] = {{6, 4, 7, 7, 100, 50, 0},
                             {40, 20, 20, 10, 620, 190, 0},
                             {7, 4, 3, 2, 150, 120, 180},
                             {5, 8, 4, 7, 320, 240, -90},
                             {24, 16, 12, 8, 320, 240, 30}};
  for (const Placement& p : cases) {
    drawPlacement(device, p);
    const Frame drawn = grabFrame();
    for (const int w : {0, p.w}) {  // no size is the whole texture, and so is the whole of it
      Placement whole = p;
      whole.partW = w, whole.partH = w ? p.h : 0;
      drawPlacementEx(device, whole);
      EXPECT_TRUE(grabFrame().argb == drawn.argb) << p.w << "x" << p.h << " at angle " << p.angle << ", source " << w;
    }
  }
}

TEST_F(Pixels, DrawExDrawsPartsScaledAndMirrored) {
  // A 4 x 4 sheet of 8 x 8 frames, every texel different.
  const Placement cases[] = {
      {32, 32, 4, 4, 100, 100, 0, 16, 8, 8, 8},         // frame (2, 1), pivot in the frame
      {32, 32, 0, 0, 200, 50, 90, 8, 24, 8, 8},         // frame (1, 3), turned
      {32, 32, 4, 4, 300, 300, 0, 0, 0, 8, 8, 2, 2},    // scaled up about the pivot
      {32, 32, 1, 2, 400, 200, 0, 8, 8, 8, 8, -1, 1},   // mirrored left to right
      {32, 32, 1, 2, 400, 300, 90, 8, 8, 8, 8, 1, -1},  // upside down, then turned
      {32, 32, 3, 3, 120, 400, 0, 0, 0, 0, 0, -2, -3},  // the whole sheet, both mirrored and scaled
  };
  for (const Placement& p : cases) {
    drawPlacementEx(device, p);
    EXPECT_EQ(countDifferences(grabFrame(), p), 0)
        << "part " << p.partX << "," << p.partY << " scale " << p.scaleX << "," << p.scaleY << " angle " << p.angle;
  }
  // A source reaching past the texture is clipped; what remains stays in place.
  Placement past{32, 32, 0, 0, 50, 50, 0, 24, 24, 16, 16};
  drawPlacementEx(device, Placement{32, 32, 0, 0, 50, 50, 0, 24, 24, 16, 16});
  past.partW = past.partH = 8;
  EXPECT_EQ(countDifferences(grabFrame(), past), 0);
}

// Right within a pixel: far scaled texels are wide, and where their edges
// fall may differ by a pixel between renderers.
int countOffByMoreThanAPixel(const Frame& frame, const Placement& p) {
  int wrong = 0;
  for (int y = 0; y < kFrameHeight; ++y)
    for (int x = 0; x < kFrameWidth; ++x) {
      bool near = false;
      for (int dy = -1; dy <= 1 && !near; ++dy)
        for (int dx = -1; dx <= 1 && !near; ++dx) near = rightPixel(p, x + dx, y + dy, frame.at(x, y));
      wrong += !near;
    }
  return wrong;
}

TEST_F(Pixels, DrawExScaledFarPastTheTargetShowsTheTexelsThatReachIt) {
  const Placement cases[] = {
      {32, 32, 16, 16, 320, 240, 0, 0, 0, 0, 0, 200, 200},
      {32, 32, 12.5f, 19.5f, 300, 200, 90, 0, 0, 0, 0, -150, 120},  // mirrored and turned
      {32, 32, 3, 5, 100, 400, 270, 16, 8, 8, 8, 90, -90},          // one frame of the sheet
  };
  for (const Placement& p : cases) {
    drawPlacementEx(device, p);
    EXPECT_EQ(countOffByMoreThanAPixel(grabFrame(), p), 0)
        << "scale " << p.scaleX << "," << p.scaleY << " angle " << p.angle;
  }
}

TEST_F(Pixels, DrawExTintsAndFades) {
  const struct {
    std::uint32_t texel, tint, over, want;  // tint as 0xAARRGGBB
  } cases[] = {
      {0xFFFFFFFFu, 0xFFFF8000u, 0xFF0A141Eu, 0xFFFF8000u},  // white takes the tint
      {0xFF808080u, 0xFF80FF00u, 0xFF0A141Eu, 0xFF408000u},  // channels multiply
      {0xFFFF0000u, 0x80FFFFFFu, 0xFF0000FFu, 0xFF80007Fu},  // alpha 128 blends half and half
      {0x80FF0000u, 0x80FFFFFFu, 0xFF0000FFu, 0xFF4000BFu},  // texel alpha and colour alpha multiply
  };
  for (const auto& c : cases) {
    const vLMaterial m = filled("tinted", c.texel);
    device.Clear(c.over >> 16 & 0xFF, c.over >> 8 & 0xFF, c.over & 0xFF);
    device.BeginRender();
    device.DrawEx(m, vLVector2{20, 20, 0}, vLVector2{0, 0, 0}, 0, vLVector2{1, 1, 0}, vLRect{0, 0, 0, 0},
                  channel(c.tint, 16), channel(c.tint, 8), channel(c.tint, 0), channel(c.tint, 24));
    device.EndRender();
    const std::uint32_t got = grabFrame().at(21, 21);
    for (int shift : {16, 8, 0}) EXPECT_NEAR(channel(got, shift), channel(c.want, shift), 2) << std::hex << c.tint;
  }
  // Alpha 0, and the low 8 bits of each number alone count.
  const vLMaterial white = filled("white4", 0xFFFFFFFFu);
  device.Clear(10, 20, 30);
  device.BeginRender();
  device.DrawEx(white, vLVector2{20, 20, 0}, vLVector2{}, 0, vLVector2{1, 1, 0}, vLRect{}, 255, 255, 255, 256);
  device.DrawEx(white, vLVector2{40, 20, 0}, vLVector2{}, 0, vLVector2{1, 1, 0}, vLRect{}, 511, -256, 256 + 64, -1);
  device.EndRender();
  const Frame f = grabFrame();
  EXPECT_EQ(f.at(21, 21), kBackground);
  EXPECT_EQ(f.at(41, 21), 0xFFFF0040u);
}

TEST_F(Pixels, DrawExRefusesWhatItCannotDrawWithOneLinePerCause) {
  const vLMaterial m = filled("refused", 0xFFFFFFFFu);
  const vLVector2 one{1, 1, 0};
  const struct {
    vLVector2 position, scale;
    float angle;
    vLRect source;
    const char* said;  // the cause's line, or null for what silently draws nothing
  } cases[] = {
      {{NAN, 10, 0}, one, 0, {}, "not a finite number"},
      {{10, 10, 0}, {kInf, 1, 0}, 0, {}, "not a finite number"},
      {{10, 10, 0}, one, NAN, {}, "not a finite number"},
      {{10, 10, 0}, one, 0, {0, NAN, 2, 2}, "not a finite number"},
      {{10, 10, 0}, {1e30f, 1, 0}, 0, {}, "scaled beyond 16777216 pixels"},
      {{10, 10, 0}, one, 0, {0, 0, -2, 2}, "negative size (-2 x 2)"},
      {{10, 10, 0}, one, 0, {4, 0, 3, 3}, "lies outside the 4 x 4 texture"},
      {{10, 10, 0}, one, 0, {-9, -9, 8, 8}, "lies outside"},
      {{10, 10, 0}, {0, 1, 0}, 0, {}, nullptr},
      {{3e9f, 10, 0}, one, 0, {}, nullptr},
  };
  for (const auto& c : cases) {
    ::testing::internal::CaptureStderr();
    device.Clear(10, 20, 30);
    device.BeginRender();
    for (int frame = 0; frame < 2; ++frame)
      device.DrawEx(m, c.position, vLVector2{}, c.angle, c.scale, c.source, 255, 255, 255, 255);
    device.EndRender();
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(inkOn(grabFrame(), kBackground).pixels, 0) << c.position.x << " " << c.scale.x;
    // A cause already told by an earlier case stays quiet.
    if (c.said && !err.empty()) {
      EXPECT_EQ(err.rfind("veltra: DrawEx: ", 0), 0u) << err;
      EXPECT_NE(err.find(c.said), std::string::npos) << err;
      EXPECT_EQ(err.find('\n'), err.size() - 1) << err;
    }
    if (!c.said) {
      EXPECT_EQ(err, "");
    }
  }
}

TEST_F(Pixels, TexturesTellTheirSize) {
  const struct {
    const char* name;
    brickfall::Image image;
  } pictures[] = {
      {"block", brickfall::blockPicture()}, {"paddle", brickfall::paddlePicture()}, {"ball", brickfall::ballPicture()}};
  for (const auto& p : pictures) {
    const std::string path = ::testing::TempDir() + "veltra_size_" + p.name + ".png";
    ASSERT_TRUE(brickfall::writePng(path, p.image));
    vLMaterial m;
    m.LoadTexture(path.c_str());
    EXPECT_EQ(m.TextureWidth(), p.image.width) << p.name;
    EXPECT_EQ(m.TextureHeight(), p.image.height) << p.name;
  }
  ::testing::internal::CaptureStderr();
  vLMaterial empty;
  empty.LoadTexture("no/such/picture.png");
  ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(empty.TextureWidth(), 0);
  EXPECT_EQ(empty.TextureHeight(), 0);
}

TEST_F(Pixels, MeasureTGivesTheExtentOfTheInkDrawTLeaves) {
  const int font = fontOf(16);
  float lastWidth = 0;
  for (const char* text : {"P", "Points: 4", "Points: 40", "Points: 400", "Top\nBottom line", "W\nW\nW"}) {
    const vLVector2 size = device.MeasureT(font, text);
    const Box ink = inkOn(textFrame(device, font, text, vLVector2{100, 100, 0}, 255, 255, 255), 0xFF000000u);
    SCOPED_TRACE(text);
    // The ink lies in the measured box, but for a first glyph reaching left of
    // its advance; the box ends where the ink does, but for the last glyph's
    // side bearing and the cell's leading.
    EXPECT_GE(ink.left, 100 - headless::kMeasureSlack);  // a glyph may reach left of its advance
    EXPECT_GE(ink.top, 100);
    EXPECT_LE(ink.right, 100 + size.x);
    EXPECT_LE(ink.bottom, 100 + size.y);
    EXPECT_LE(100 + size.x - (ink.right + 1), headless::kMeasureSlack);
    EXPECT_LE(100 + size.y - (ink.bottom + 1), 16 / 2);
    EXPECT_EQ(size.z, 0.0f);
    if (std::string(text).rfind("Points", 0) == 0) {
      EXPECT_GT(size.x, lastWidth);
    }
    lastWidth = size.x;
  }
  for (const char* text : {"", static_cast<const char*>(nullptr)}) {
    const vLVector2 none = device.MeasureT(font, text);
    EXPECT_EQ(none.x, 0.0f);
    EXPECT_EQ(none.y, 0.0f);
  }
  // 64 KiB of text and bytes that are not UTF-8 measure without reading past them.
  const std::string huge(64 * 1024 - 1, 'i');
  EXPECT_GT(device.MeasureT(font, huge.c_str()).x, 0.0f);
  EXPECT_GT(device.MeasureT(font, "\xff\xfe\xc3(\xe2\x82").x, 0.0f);
}
