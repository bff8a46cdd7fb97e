// The pixel cases of the SDL backend's render and text tests, on Direct3D 9
// and D3DX 9 under Wine, through the public device API.
#include <d3dx9.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "headless_d3d9.h"
#include "pixel_checks.h"

using D3D9Render = Headless;

namespace {

using namespace pixels;

// D3DX sprites sample with linear filtering, and under Wine the sample may land
// off the texel centre, up to the edge between two texels on a 150-wide
// texture. So a pixel may be the expected texel mixed with up to half of one
// neighbour (wrapped at the edges), allowing a step of rounding. A texel out
// of place by one is all neighbour and still shows; the background must match
// exactly.
bool mixedWithAtMostHalf(std::uint32_t got, std::uint32_t want, std::uint32_t other) {
  double weight = 0, spread = 0;
  for (int shift : {24, 16, 8, 0}) {
    const double d = static_cast<double>(other >> shift & 0xFF) - static_cast<double>(want >> shift & 0xFF);
    if (std::abs(d) > spread) {
      spread = std::abs(d);
      weight = (static_cast<double>(got >> shift & 0xFF) - static_cast<double>(want >> shift & 0xFF)) / d;
    }
  }
  if (spread == 0 || weight < 0 || weight > 0.6) return false;
  for (int shift : {24, 16, 8, 0}) {
    const double w = want >> shift & 0xFF, o = other >> shift & 0xFF;
    if (std::abs(w + weight * (o - w) - static_cast<double>(got >> shift & 0xFF)) > 2) return false;
  }
  return true;
}

bool rightPixel(const Placement& p, int x, int y, std::uint32_t got) {
  const std::uint32_t want = expectedAt(p, x, y);
  if (want == kBackground || got == want) return got == want;
  int u, v;
  texelUnder(p, x, y, u, v);
  for (int du = -1; du <= 1; ++du)
    for (int dv = -1; dv <= 1; ++dv)
      if (mixedWithAtMostHalf(got, want, patterned((u + du + p.w) % p.w, (v + dv + p.h) % p.h))) return true;
  return false;
}

int countDifferences(const Frame& frame, const Placement& p) {
  int wrong = 0;
  for (int y = 0; y < kFrameHeight; ++y)
    for (int x = 0; x < kFrameWidth; ++x) wrong += !rightPixel(p, x, y, frame.at(x, y));
  return wrong;
}

}  // namespace

TEST_F(D3D9Render, ClearTakesEachComponentModulo256) {
  for (const ClearCase& c : kClearCases) {
    device.Clear(c.r, c.g, c.b);
    const Frame f = grabFrame();
    for (const auto& at : kProbePixels) EXPECT_EQ(f.at(at[0], at[1]), c.argb) << c.r << ", " << c.g << ", " << c.b;
  }
}

TEST_F(D3D9Render, TexturesKeepTheirImageSize) {
  // The plain loader would make these 64 x 32 and 256 x 32.
  for (const auto& size : {std::pair<int, int>{40, 20}, {150, 20}, {14, 14}}) {
    const vLMaterial m = spriteOf(writePng("size", size.first, size.second, patterned));
    auto* texture = reinterpret_cast<IDirect3DTexture9*>(veltra::textureTable().at(m.texture));
    ASSERT_NE(texture, nullptr);
    D3DSURFACE_DESC desc;
    ASSERT_EQ(texture->GetLevelDesc(0, &desc), D3D_OK);
    EXPECT_EQ(static_cast<int>(desc.Width), size.first);
    EXPECT_EQ(static_cast<int>(desc.Height), size.second);
    EXPECT_EQ(texture->GetLevelCount(), 1u);
  }
}

TEST_F(D3D9Render, DrawPutsThePivotOnThePositionAndTurnsClockwise) {
  const Placement cases[] = {
      {6, 4, 7, 7, 100, 50, 0},     // top-left at position - pivot, outside the image
      {40, 20, 0, 0, 300, 200, 0},  // a block, drawn 40 x 20
      {40, 20, 20, 10, 620, 190, 0}, {150, 20, 75, 10, 320, 440, 0}, {14, 14, 7, 7, 310, 478, 0},
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

TEST_F(D3D9Render, TrailingIntsAndZFieldsChangeNothing) { expectTrailingIntsAndZFieldsChangeNothing(device); }

TEST_F(D3D9Render, HalfTransparentTexelsBlendOverTheBackground) { expectHalfTransparentTexelsToBlend(device); }

TEST_F(D3D9Render, MissingFilesAndEmptySlotsDrawNothing) {
  EXPECT_EQ(expectFailedLoadsToDrawNothing(device).nameless, 2);
}

TEST_F(D3D9Render, RedTextDrawsOpaqueRedFromTheTruncatedPosition) {
  vLMaterial font;
  font.CreateFontA(16, true, "Verdana");
  ASSERT_NE(veltra::fontTable().at(font.font), nullptr);
  device.Clear(0, 0, 0);
  device.BeginRender();
  device.DrawT(font.font, "Points: 40", vLVector2{10.9f, 20.5f, 0}, 255, 0, 0);
  device.EndRender();
  const Frame f = grabFrame();
  const Box ink = inkOn(f, 0xFF000000u);
  EXPECT_GT(ink.pixels, 100);
  EXPECT_GE(ink.left, 10);
  EXPECT_LE(ink.left, 12);  // the glyph's own side bearing
  EXPECT_GE(ink.top, 20);
  EXPECT_LT(ink.bottom, 20 + 16);
  EXPECT_GE(ink.bottom - ink.top + 1, 8);
  for (std::uint32_t p : f.argb) ASSERT_EQ(p & 0x0000FFFFu, 0u) << std::hex << p;  // only shades of red

  // Thin 16-pixel glyphs cover few pixels fully; large stems reach the full colour.
  vLMaterial large;
  large.CreateFontA(48, true, "Verdana");
  device.Clear(0, 0, 0);
  device.BeginRender();
  device.DrawT(large.font, "HI", vLVector2{100, 100, 0}, 255, 0, 0);
  device.EndRender();
  int opaqueRed = 0;
  for (std::uint32_t p : grabFrame().argb) opaqueRed += p == 0xFFFF0000u;
  EXPECT_GT(opaqueRed, 50);

  // Nothing is clipped against the fixed far edges, even with right < left.
  device.Clear(0, 0, 0);
  device.BeginRender();
  device.DrawT(font.font, "Points: 40", vLVector2{560, 470, 0}, 255, 0, 0);
  device.DrawT(font.font, "", vLVector2{10, 10, 0}, 255, 255, 255);
  device.EndRender();
  const Box corner = inkOn(grabFrame(), 0xFF000000u);
  EXPECT_GE(corner.left, 560);
  EXPECT_GE(corner.top, 470);
  EXPECT_GT(corner.pixels, 30);
}

TEST_F(D3D9Render, ScreenshotWritesTheBackBufferAsItStands) {
  drawPlacement(device, Placement{6, 4, 0, 0, 10, 10, 0});
  const std::string shot = ::testing::TempDir() + "veltra_shot.png";
  ASSERT_TRUE(device.Screenshot(shot.c_str()));
  const Frame f = grabFrame();

  // Read the file back into a surface of the back buffer's format.
  IDirect3DDevice9* d3d = veltra::platform::d3d9::device();
  IDirect3DSurface9* loaded = nullptr;
  ASSERT_EQ(
      d3d->CreateOffscreenPlainSurface(kFrameWidth, kFrameHeight, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &loaded, nullptr),
      D3D_OK);
  D3DXIMAGE_INFO info;
  ASSERT_EQ(D3DXLoadSurfaceFromFileA(loaded, nullptr, nullptr, shot.c_str(), nullptr, D3DX_FILTER_NONE, 0, &info),
            D3D_OK);
  EXPECT_EQ(info.ImageFileFormat, D3DXIFF_PNG);
  EXPECT_EQ(static_cast<int>(info.Width), kFrameWidth);
  EXPECT_EQ(static_cast<int>(info.Height), kFrameHeight);
  D3DLOCKED_RECT locked;
  ASSERT_EQ(loaded->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
  int wrong = 0;
  for (int y = 0; y < kFrameHeight; ++y)
    for (int x = 0; x < kFrameWidth; ++x)
      wrong += (reinterpret_cast<const std::uint32_t*>(static_cast<const char*>(locked.pBits) + y * locked.Pitch)[x] |
                0xFF000000u) != f.at(x, y);
  loaded->UnlockRect();
  loaded->Release();
  EXPECT_EQ(wrong, 0);

  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(device.Screenshot(nullptr));
  EXPECT_FALSE(device.Screenshot("Z:\\no\\such\\folder\\shot.png"));
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("veltra: cannot save a screenshot: no file name given\n"), std::string::npos) << err;
  EXPECT_NE(err.find("veltra: cannot save screenshot \"Z:\\no\\such\\folder\\shot.png\": "), std::string::npos) << err;
}

using D3D9RenderDeathTest = Headless;

TEST_F(D3D9RenderDeathTest, PresentingAfterTheWindowIsGoneEndsWell) {
  // A game draws on until its quit message arrives, after its window is
  // destroyed. Presenting to the gone window corrupts Wine's heap now and then
  // (about one run in six), so the process may crash at any later point: run
  // the game's case a few times to the end.
  for (int run = 0; run < 3; ++run) {
    EXPECT_EXIT(
        {
          HWND doomed = testWindow(640, 480, WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX);
          if (!device.CreateDevice(doomed)) std::exit(2);
          ShowWindow(doomed, SW_SHOW);
          device.Clear(1, 2, 3);
          device.DrawAll();
          DestroyWindow(doomed);
          for (int frame = 0; frame < 5; ++frame) {
            device.Clear(1, 2, 3);
            device.BeginRender();
            device.EndRender();
            device.DrawAll();
          }
          std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
  }
}

TEST_F(D3D9Render, TexturesOfAnEarlierDeviceAreSkipped) {
  // Direct3D aborts when one device draws with another's texture.
  const vLMaterial onFirst = spriteOf(writePng("first", 6, 4, patterned));
  static HWND second = testWindow(64, 64);
  ASSERT_TRUE(device.CreateDevice(second));
  vLMaterial onSecond = onFirst;
  onSecond.CreateSprite();
  ::testing::internal::CaptureStderr();
  for (int frame = 0; frame < 3; ++frame) {
    device.Clear(1, 2, 3);
    device.BeginRender();
    device.SetTexture(onFirst);
    device.Draw(onSecond, vLVector2{0, 0, 0}, vLVector2{0, 0, 0}, 0, 0, 0, 0);
    device.Draw(onFirst, vLVector2{0, 0, 0}, vLVector2{0, 0, 0}, 0, 0, 0, 0);  // on its own, earlier device
    device.EndRender();
    if (frame < 2) device.DrawAll();  // the last frame is read before it is shown
  }
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(err, "veltra: a texture made on an earlier device is not drawn: load it again\n");
  veltra::platform::d3d9::Image f;
  ASSERT_TRUE(veltra::platform::d3d9::readBackBuffer(f));
  for (std::uint32_t p : f.argb) ASSERT_EQ(p, 0xFF010203u);
}
