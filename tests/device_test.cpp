// The device front end with no device: handles, bound checks, colour packing
// and the text rectangle. No test here creates a device, so every call runs
// in the state before CreateDevice.
#include "device.h"

#include <climits>
#include <cmath>
#include <limits>

#include "fresh_engine.h"

using Device = FreshEngine;
using DeviceDeathTest = FreshEngine;

TEST_F(Device, ColoursKeepTheLowByteOfEachComponentWithOpaqueAlpha) {
  const struct {
    int r, g, b;
    std::uint32_t argb;
  } cases[] = {{10, 20, 30, 0xFF0A141Eu},
               {256, -1, 300, 0xFF00FF2Cu},
               {255, 0, 0, 0xFFFF0000u},
               {INT_MIN, INT_MAX, -129, 0xFF00FF7Fu},
               {0, 0, 0, 0xFF000000u}};
  for (const auto& c : cases) EXPECT_EQ(veltra::packColour(c.r, c.g, c.b), c.argb) << c.r << ", " << c.g << ", " << c.b;
}

TEST_F(Device, TextStartsAtTheTruncatedPosition) {
  const float inf = std::numeric_limits<float>::infinity();
  const struct {
    float x, y;
    int left, top;
  } cases[] = {{10.9f, -0.5f, 10, 0},
               {600, 7, 600, 7},
               {-3.99f, 2.999f, -3, 2},
               {3e9f, -3e9f, INT_MAX, INT_MIN},
               {inf, -inf, INT_MAX, INT_MIN},
               {NAN, 1.5f, INT_MIN, 1},
               {2147483520.0f, -2147483648.0f, 2147483520, INT_MIN}};
  for (const auto& c : cases) {
    EXPECT_EQ(veltra::truncToInt(c.x), c.left) << c.x;
    EXPECT_EQ(veltra::truncToInt(c.y), c.top) << c.y;
  }
}

TEST_F(Device, MaterialsTakeTheNextHandleOfEachTableEvenWhenCreationFails) {
  ::testing::internal::CaptureStderr();
  vLMaterial first, second, text;
  first.LoadTexture("block.png");
  first.CreateSprite();
  second.LoadTexture("ball.png");
  second.CreateSprite();
  text.CreateFontA(16, true, "Verdana");
  first.LoadTexture("paddle.png");
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(first.texture, 2);
  EXPECT_EQ(first.sprite, 0);
  EXPECT_EQ(second.texture, 1);
  EXPECT_EQ(second.sprite, 1);
  EXPECT_EQ(text.font, 0);
  EXPECT_EQ(text.texture, -1);
  EXPECT_EQ(text.sprite, -1);
  EXPECT_EQ(veltra::textureTable().size(), 3u);
  // No device yet: each slot is empty and each failure said why, once.
  for (int i = 0; i < 3; ++i) EXPECT_EQ(veltra::textureTable().at(i), nullptr);
  EXPECT_EQ(veltra::fontTable().at(0), nullptr);
  EXPECT_NE(err.find("veltra: cannot load texture \"block.png\": no device yet\n"), std::string::npos) << err;
  EXPECT_NE(err.find("veltra: cannot create font \"Verdana\": no device yet\n"), std::string::npos) << err;
}

TEST_F(Device, EverythingBeforeCreateDeviceIsHarmless) {
  ::testing::internal::CaptureStderr();
  vLDevice device;
  vLMaterial m;
  m.LoadTexture("block.png");
  m.CreateSprite();
  m.CreateFontA(16, false, nullptr);
  EXPECT_FALSE(device.CreateDevice(nullptr));
  device.Lighting(1);
  device.ZAxis(false);
  device.Clear(10, 20, 30);
  device.BeginRender();
  device.SetTexture(m);
  device.Draw(m, vLVector2{100, 50, 0}, vLVector2{7, 7, 0}, 90, 12, 12, 12);
  device.DrawT(m.font, "Points: 0", vLVector2{10, 10, 0}, 255, 0, 0);
  device.DrawT(m.font, nullptr, vLVector2{10, 10, 0}, 255, 0, 0);
  device.EndRender();
  EXPECT_FALSE(device.Screenshot("shot.png"));
  device.DrawAll();
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("veltra: cannot create the device: no window given\n"), std::string::npos) << err;
  EXPECT_NE(err.find("veltra: cannot create font: no face name given\n"), std::string::npos) << err;
  EXPECT_NE(err.find("veltra: cannot save screenshot \"shot.png\": no device yet\n"), std::string::npos) << err;
}

TEST_F(DeviceDeathTest, EveryUseChecksItsHandle) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  vLDevice device;
  vLMaterial m;  // no handle yet: all three are -1, which says what to call
  EXPECT_DEATH(device.SetTexture(m),
               "veltra: SetTexture: the material has no texture \\(handle -1\\): call LoadTexture\\(\\) first");
  EXPECT_DEATH(device.Draw(m, vLVector2{}, vLVector2{}, 0, 0, 0, 0),
               "veltra: Draw: the material has no sprite \\(handle -1\\): call CreateSprite\\(\\) first");
  EXPECT_DEATH(device.DrawT(m.font, "x", vLVector2{}, 0, 0, 0), "veltra: DrawT: the material has no font");
  EXPECT_DEATH(device.DrawT(-2, "x", vLVector2{}, 0, 0, 0), "veltra: bad font handle -2 \\(the table holds 0\\)");

  ::testing::internal::CaptureStderr();
  m.CreateSprite();
  m.CreateFontA(16, true, "Verdana");
  ::testing::internal::GetCapturedStderr();
  // A texture handle equal to the table's length fails at the draw, after the sprite checks.
  m.texture = 0;
  EXPECT_DEATH(device.Draw(m, vLVector2{}, vLVector2{}, 0, 0, 0, 0),
               "veltra: bad texture handle 0 \\(the table holds 0\\)");
  EXPECT_DEATH(device.SetTexture(m), "veltra: bad texture handle 0");
  EXPECT_DEATH(device.DrawT(1, "x", vLVector2{}, 0, 0, 0), "veltra: bad font handle 1 \\(the table holds 1\\)");
  vLMaterial other = m;
  other.sprite = 1;
  EXPECT_DEATH(device.Draw(other, vLVector2{}, vLVector2{}, 0, 0, 0, 0), "veltra: bad sprite handle 1");
}
