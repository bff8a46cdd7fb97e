#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "fresh_engine.h"

namespace {
vLVector2 v(float x, float y, float z = 0) { return vLVector2{x, y, z}; }

// The rule written out long-hand. For sums, products and square roots of
// floats, rounding through double equals plain float arithmetic, so those steps
// are checked in float here, independently of the engine's double steps.
const double kPiD = 3.1415927410125732;
float refRad(float d) { return static_cast<float>(static_cast<double>(d) * kPiD / 180.0); }
float refDirection(vLVector2 a, vLVector2 b) {
  const float dy = b.y - a.y, dx = b.x - a.x;
  const float t = static_cast<float>(std::atan2(static_cast<double>(dy), static_cast<double>(dx)));
  return static_cast<float>(static_cast<double>(t) / kPiD * 180.0);
}
float refDistance(vLVector2 a, vLVector2 b) {
  const float dx = b.x - a.x, dy = b.y - a.y;
  return std::sqrt(dx * dx + dy * dy);
}
float refX(float l, float d) { return static_cast<float>(std::cos(static_cast<double>(refRad(d)))) * l; }
float refY(float l, float d) { return static_cast<float>(std::sin(static_cast<double>(refRad(d)))) * l; }
}  // namespace

TEST(Helpers, DegreesToRadians) {
  EXPECT_EQ(vLDegtorad(180), 3.1415927f);
  EXPECT_EQ(vLDegtorad(90), 1.5707964f);
  EXPECT_EQ(vLDegtorad(45), 0.7853982f);
  EXPECT_EQ(vLDegtorad(0), 0.0f);
  EXPECT_EQ(vLDegtorad(-180), -3.1415927f);
}

TEST(Helpers, PointDirectionStaysInAtan2Range) {
  struct Case {
    vLVector2 b;
    float expected;
  } cases[] = {{v(1, 0), 0},  {v(0, 1), 90},     {v(-1, 0), 180}, {v(0, -1), -90},
               {v(1, 1), 45}, {v(-1, -1), -135}, {v(0, 0), 0},    {v(-1, 1), 135}};
  for (const Case& c : cases) EXPECT_EQ(vLPointDirection(v(0, 0), c.b), c.expected) << c.b.x << "," << c.b.y;
  // The sign of a zero dy picks the end of the range.
  EXPECT_EQ(vLPointDirection(v(0, 0), v(-1, 0.0f)), 180.0f);
  EXPECT_EQ(vLPointDirection(v(0, 0), v(-1, -0.0f)), -180.0f);
  EXPECT_EQ(vLPointDirection(v(0, 0.0f), v(-1, 0.0f)), 180.0f);
}

TEST(Helpers, PointDistanceIgnoresZ) {
  EXPECT_EQ(vLPointDistance(v(0, 0), v(3, 4)), 5.0f);
  EXPECT_EQ(vLPointDistance(v(0, 0, 0), v(0, 0, 7)), 0.0f);
  EXPECT_EQ(vLPointDistance(v(1, 1, 5), v(4, 5, -9)), 5.0f);
}

TEST(Helpers, LengthdirKeepsTheSmallTermsOfSinglePrecisionPi) {
  EXPECT_EQ(vLLengthdirX(1, 0), 1.0f);
  EXPECT_EQ(vLLengthdirY(1, 0), 0.0f);
  EXPECT_EQ(vLLengthdirY(1, 90), 1.0f);
  EXPECT_EQ(vLLengthdirX(1, 90), -4.371139e-08f);
  EXPECT_EQ(vLLengthdirX(1, 180), -1.0f);
  EXPECT_EQ(vLLengthdirY(1, 180), -8.742278e-08f);
  EXPECT_EQ(vLLengthdirX(1, 45), 0.70710677f);
  EXPECT_EQ(vLLengthdirY(1, 45), 0.70710677f);
  EXPECT_EQ(vLLengthdirX(-2, 0), -2.0f);  // a negative length reverses the vector
  EXPECT_EQ(vLLengthdirY(10, -90), -10.0f);
}

TEST(Helpers, RoundingRuleOnRandomInputs) {
  std::mt19937 rng(12345);
  std::uniform_real_distribution<float> coord(-2000.0f, 2000.0f);
  std::uniform_real_distribution<float> angle(-720.0f, 720.0f);
  for (int i = 0; i < 20000; ++i) {
    const vLVector2 a = v(coord(rng), coord(rng), coord(rng)), b = v(coord(rng), coord(rng), coord(rng));
    const float l = coord(rng), d = angle(rng);
    ASSERT_TRUE(sameBits(vLPointDirection(a, b), refDirection(a, b))) << i;
    ASSERT_TRUE(sameBits(vLPointDistance(a, b), refDistance(a, b))) << i;
    ASSERT_TRUE(sameBits(vLDegtorad(d), refRad(d))) << i;
    ASSERT_TRUE(sameBits(vLLengthdirX(l, d), refX(l, d))) << i;
    ASSERT_TRUE(sameBits(vLLengthdirY(l, d), refY(l, d))) << i;
    const vLVector2 both = vLLengthdir(l, d);
    ASSERT_TRUE(sameBits(both.x, vLLengthdirX(l, d)) && sameBits(both.y, vLLengthdirY(l, d))) << i;
    const float dir = vLPointDirection(a, b);
    ASSERT_TRUE(dir >= -180.0f && dir <= 180.0f) << dir;
  }
}

TEST(Helpers, NonFiniteValuesPassThrough) {
  const float inf = INFINITY, nan = NAN;
  EXPECT_TRUE(std::isnan(vLLengthdirX(1, inf)));
  EXPECT_TRUE(std::isnan(vLLengthdirX(nan, 0)));
  EXPECT_EQ(vLPointDistance(v(0, 0), v(inf, 0)), inf);
  EXPECT_TRUE(std::isnan(vLPointDirection(v(0, 0), v(nan, 1))));
}
