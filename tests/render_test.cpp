#include <cmath>
#include <cstdio>

#include "headless_sdl.h"
#include "pixel_checks.h"

using Render = Headless;

namespace {

using namespace pixels;

int countDifferences(const Frame& frame, const Placement& p) {
  int wrong = 0;
  for (int y = 0; y < kFrameHeight; ++y)
    for (int x = 0; x < kFrameWidth; ++x) wrong += frame.at(x, y) != expectedAt(p, x, y);
  return wrong;
}

}  // namespace

TEST_F(Render, ClearTakesEachComponentModulo256WithOpaqueAlpha) {
  for (const ClearCase& c : kClearCases) {
    device.Clear(c.r, c.g, c.b);
    const Frame f = grabFrame();
    for (const auto& at : kProbePixels) EXPECT_EQ(f.at(at[0], at[1]), c.argb) << c.r << ", " << c.g << ", " << c.b;
  }
}

TEST_F(Render, DrawPutsThePivotOnThePositionAndTurnsClockwise) {
  const Placement cases[] = {
      {6, 4, 7, 7, 100, 50, 0},     // top-left at position - pivot, outside the image
      {40, 20, 0, 0, 300, 200, 0},  // drawn at the image's own size
      {5, 3, 1, 0, 100, 50, 90},    // one texel right of the pivot lands one pixel below
      {6, 4, 2, 1, 200, 100, 90},  {7, 4, 3, 2, 150, 120, 180}, {5, 8, 0, 0, 320, 240, 270},
      {5, 8, 4, 7, 320, 240, -90}, {9, 6, 4, 3, 60, 400, 450},  // a turn and a quarter is a quarter
      {9, 6, 4, 3, 60, 400, 360},  {8, 8, 4, 4, 3, 2, 90},      // partly off the target
  };
  for (const Placement& p : cases) {
    drawPlacement(device, p);
    EXPECT_EQ(countDifferences(grabFrame(), p), 0) << p.w << "x" << p.h << " pivot " << p.pivotX << "," << p.pivotY
                                                   << " at " << p.x << "," << p.y << " angle " << p.angle;
  }
}

TEST_F(Render, OddAnglesStayCloseToTheExactTurn) {
  // Off the right angles, sampling rounds texel edges by a pixel either way.
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
      const bool deep = u > 1 && v > 1 && u < p.w - 1 && v < p.h - 1;
      const bool outside = u < -1 || v < -1 || u > p.w + 1 || v > p.h + 1;
      if (outside) {
        EXPECT_EQ(f.at(x, y), kBackground) << x << "," << y;
      }
      if (!deep) continue;
      ++inside;
      const std::uint32_t got = f.at(x, y);
      // The nearest texel, or one of its neighbours where the pixel centre sits near an edge.
      bool near = false;
      for (int du = -1; du <= 1; ++du)
        for (int dv = -1; dv <= 1; ++dv) near |= got == patterned(static_cast<int>(u) + du, static_cast<int>(v) + dv);
      wrongInside += !near;
    }
  EXPECT_GT(inside, 250);
  EXPECT_EQ(wrongInside, 0);
}

TEST_F(Render, TrailingIntsAndZFieldsChangeNothing) { expectTrailingIntsAndZFieldsChangeNothing(device); }

TEST_F(Render, HalfTransparentTexelsBlendOverTheBackground) { expectHalfTransparentTexelsToBlend(device); }

TEST_F(Render, MissingFilesAndEmptySlotsDrawNothing) {
  const FailedLoads loads = expectFailedLoadsToDrawNothing(device);
  EXPECT_EQ(loads.missing, 0);
  EXPECT_EQ(loads.broken, 1);
  EXPECT_EQ(loads.nameless, 2);
}

TEST_F(Render, ScreenshotWritesTheBackBufferAsItStands) {
  const Placement p{6, 4, 0, 0, 10, 10, 0};
  drawPlacement(device, p);
  const std::string shot = ::testing::TempDir() + "veltra_shot.png";
  ASSERT_TRUE(device.Screenshot(shot.c_str()));
  SDL_Surface* raw = IMG_Load(shot.c_str());
  ASSERT_NE(raw, nullptr) << IMG_GetError();
  SDL_Surface* img = SDL_ConvertSurfaceFormat(raw, SDL_PIXELFORMAT_ARGB8888, 0);
  SDL_FreeSurface(raw);
  ASSERT_EQ(img->w, kFrameWidth);
  ASSERT_EQ(img->h, kFrameHeight);
  const Frame f = grabFrame();
  int wrong = 0;
  for (int y = 0; y < img->h; ++y)
    for (int x = 0; x < img->w; ++x)
      wrong +=
          reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(img->pixels) + y * img->pitch)[x] != f.at(x, y);
  SDL_FreeSurface(img);
  EXPECT_EQ(wrong, 0);

  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(device.Screenshot(nullptr));
  EXPECT_FALSE(device.Screenshot("/no/such/folder/shot.png"));
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("veltra: cannot save a screenshot: no file name given\n"), std::string::npos) << err;
  EXPECT_NE(err.find("veltra: cannot save screenshot \"/no/such/folder/shot.png\": "), std::string::npos) << err;
}

TEST_F(Render, AGoneWindowStopsDrawingAndEachWindowKeepsItsTextures) {
  const Placement p{6, 4, 0, 0, 10, 10, 0};
  drawPlacement(device, p);  // a texture made on the headless window
  const vLMaterial onFirst{veltra::textureTable().count() - 1, veltra::spriteTable().count() - 1, -1};

  SDL_Window* second = SDL_CreateWindow("second", 0, 0, 64, 64, SDL_WINDOW_HIDDEN);
  ASSERT_TRUE(device.CreateDevice(second));
  vLMaterial text;
  text.CreateFontA(16, false, "DejaVu Sans");
  ::testing::internal::CaptureStderr();
  device.Draw(onFirst, vLVector2{0, 0, 0}, vLVector2{0, 0, 0}, 0, 0, 0, 0);  // not this renderer's
  device.Draw(onFirst, vLVector2{0, 0, 0}, vLVector2{0, 0, 0}, 0, 0, 0, 0);
  device.DrawT(text.font, "Gone", vLVector2{0, 0, 0}, 255, 255, 255);
  SDL_DestroyWindow(second);
  for (int frame = 0; frame < 3; ++frame) {
    device.Clear(1, 2, 3);
    device.Draw(onFirst, vLVector2{0, 0, 0}, vLVector2{0, 0, 0}, 0, 0, 0, 0);
    device.DrawT(text.font, "Gone", vLVector2{0, 0, 0}, 255, 255, 255);
    device.DrawAll();
  }
  EXPECT_FALSE(device.Screenshot((::testing::TempDir() + "veltra_gone.png").c_str()));
  const std::string err = ::testing::internal::GetCapturedStderr();
  // Each cause is told once, however many frames repeat it.
  EXPECT_EQ(err.find("veltra: a texture made on an earlier device is not drawn: load it again\n"), 0u) << err;
  EXPECT_EQ(err.find("is not drawn"), err.rfind("is not drawn")) << err;
  EXPECT_NE(err.find("veltra: the device's window or renderer is gone: drawing stops until the next CreateDevice\n"),
            std::string::npos)
      << err;
  EXPECT_EQ(err.find("is gone"), err.rfind("is gone")) << err;

  // Back on the first window, its renderer and textures are as they were.
  ASSERT_TRUE(device.CreateDevice(headlessWindow()));
  device.Clear(10, 20, 30);
  device.Draw(onFirst, vLVector2{p.x, p.y, 0}, vLVector2{0, 0, 0}, 0, 0, 0, 0);
  EXPECT_EQ(countDifferences(grabFrame(), p), 0);
}

TEST_F(Render, NonFiniteOrFarPlacementsDrawNothing) {
  // The software renderer casts rectangles to int: such values must never reach it.
  const vLMaterial m = spriteOf(writePng("far", 8, 8, [](int, int) { return 0xFFFFFFFFu; }));
  const float inf = INFINITY;
  const struct {
    float x, y, angle;
  } cases[] = {{NAN, 10, 0},    {10, inf, 0},  {-inf, 10, 45}, {3e9f, 10, 0},
               {10, -3e9f, 90}, {10, 10, NAN}, {10, 10, inf}};
  device.Clear(10, 20, 30);
  for (const auto& c : cases) device.Draw(m, vLVector2{c.x, c.y, 0}, vLVector2{4, 4, 0}, c.angle, 0, 0, 0);
  for (std::uint32_t p : grabFrame().pixels) ASSERT_EQ(p, kBackground);
}
