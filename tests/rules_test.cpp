#include "rules.h"

#include <gtest/gtest.h>
#include <veltra/veltra.h>

#include <bitset>
#include <cmath>
#include <cstdlib>
#include <new>
#include <vector>

using brickfall::Block;
using brickfall::Rules;

namespace {
// The listed directions are given to four decimals.
constexpr float kListed = 5e-4f;

const std::function<void(const Block&)> kNoDraw = [](const Block&) {};

Rules ballAt(float x, float y, float direction) {
  Rules r;
  r.ballX = x;
  r.ballY = y;
  r.direction = direction;
  return r;
}

// Counts heap allocations while armed, to show a frame allocates nothing.
bool gCounting = false;
long gAllocations = 0;
}  // namespace

void* operator new(std::size_t n) {
  if (gCounting) ++gAllocations;
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

TEST(Rules, GridRunsRowByRowFromTheTop) {
  Rules r;
  r.FillBlocks();
  ASSERT_EQ(r.blocks.size(), 160u);
  std::vector<Block> v(r.blocks.begin(), r.blocks.end());
  struct Case {
    int index;
    float x, y;
  } cases[] = {{0, 20, 10}, {15, 620, 10}, {16, 20, 30}, {159, 620, 190}, {37, 220, 50}};
  for (const Case& c : cases) {
    EXPECT_EQ(v[c.index].x, c.x) << c.index;
    EXPECT_EQ(v[c.index].y, c.y) << c.index;
    EXPECT_TRUE(v[c.index].alive) << c.index;
  }
  r.blocks.front().alive = false;
  r.FillBlocks();  // a second fill starts a fresh wall, not a second one
  EXPECT_EQ(r.blocks.size(), 160u);
  EXPECT_TRUE(r.blocks.front().alive);
}

TEST(Rules, FirstFrameMovesWithoutReset) {
  Rules r;
  r.FillBlocks();
  r.PlaceBall();
  EXPECT_EQ(r.ballX, 320.0f);
  EXPECT_EQ(r.ballY, 480.0f);
  EXPECT_EQ(r.direction, 190.0f);
  r.points = 7;
  r.PlaceBall();
  EXPECT_EQ(r.points, 0);

  int drawn = 0;
  r.Step(320, [&](const Block&) { ++drawn; });
  EXPECT_EQ(drawn, 160);
  EXPECT_EQ(r.ballX, 320.0f + vLLengthdirX(10, 190));
  EXPECT_EQ(r.ballY, 480.0f + vLLengthdirY(10, 190));
  EXPECT_NEAR(r.ballX, 310.1519f, 1e-4f);
  EXPECT_NEAR(r.ballY, 478.2635f, 1e-4f);
  EXPECT_EQ(r.direction, 190.0f);  // 478.26 is above the bottom line: no reset
  EXPECT_EQ(r.points, 0);

  Rules headless = r;
  headless.Step(320, nullptr);  // no hook: the same game, nothing drawn
  r.Step(320, kNoDraw);
  EXPECT_EQ(headless.ballX, r.ballX);
}

TEST(Rules, BlockHitAlwaysSendsTheBallDown) {
  struct Case {
    float in, afterFirstNudge, out;
  } cases[] = {{-90, -90, 90},
               {90, -90, 90},
               {-45, -75.361f, 76.2457f},
               {-135, -104.639f, 103.7543f},
               {0, -63.435f, 67.9764f},
               {180, -116.565f, 112.0236f},
               {30, -60.000f, 66.2060f}};
  for (const Case& c : cases) {
    Rules half = ballAt(100, 100, c.in);
    half.Nudge(0, -2);
    EXPECT_NEAR(half.direction, c.afterFirstNudge, kListed) << c.in;

    Rules r = ballAt(100, 100, c.in);
    r.blocks = {{100, 100, true}};
    r.BlockPass(kNoDraw);
    EXPECT_NEAR(r.direction, c.out, kListed) << c.in;
    EXPECT_GT(r.direction, 66.0f);
    EXPECT_LT(r.direction, 114.0f);
    EXPECT_EQ(r.ballX, 100.0f);  // a hit turns the ball but does not move it
    EXPECT_EQ(r.ballY, 100.0f);
    EXPECT_EQ(r.points, 1);
    EXPECT_FALSE(r.blocks.front().alive);
  }
}

TEST(Rules, BallOnABlockEdgeDoesNotHit) {
  const float edges[][2] = {{80, 100}, {120, 100}, {100, 90}, {100, 110}, {80, 90}, {120, 110}};
  for (const auto& e : edges) {
    Rules r = ballAt(e[0], e[1], 30);
    r.blocks = {{100, 100, true}};
    r.BlockPass(kNoDraw);
    EXPECT_EQ(r.direction, 30.0f) << e[0] << "," << e[1];
    EXPECT_EQ(r.points, 0);
    EXPECT_TRUE(r.blocks.front().alive);
  }
  // Just inside each edge it does.
  Rules r = ballAt(std::nextafter(120.0f, 0.0f), std::nextafter(90.0f, 100.0f), 30);
  r.blocks = {{100, 100, true}};
  r.BlockPass(kNoDraw);
  EXPECT_EQ(r.points, 1);
}

TEST(Rules, DeadBlocksAreNeitherDrawnNorHit) {
  Rules r = ballAt(100, 100, 30);
  r.blocks = {{60, 100, true}, {100, 100, false}, {140, 100, true}};
  std::vector<float> drawn;
  r.BlockPass([&](const Block& b) { drawn.push_back(b.x); });
  EXPECT_EQ(drawn, (std::vector<float>{60, 140}));
  EXPECT_EQ(r.direction, 30.0f);
  EXPECT_EQ(r.points, 0);
}

TEST(Rules, HookSeesAliveBlocksInListOrderBeforeTheirHit) {
  Rules r;
  r.FillBlocks();
  for (auto it = r.blocks.begin(); it != r.blocks.end(); ++it)
    if (static_cast<int>(it->x + it->y) % 3 == 0) it->alive = false;
  std::vector<const Block*> expected;
  for (const Block& b : r.blocks)
    if (b.alive) expected.push_back(&b);
  // The ball sits inside an alive block (300, 70): it is drawn this frame, then dies.
  r.ballX = 302;
  r.ballY = 72;
  r.direction = -90;
  std::vector<const Block*> seen;
  bool allAliveWhenDrawn = true;
  r.BlockPass([&](const Block& b) {
    seen.push_back(&b);
    allAliveWhenDrawn &= b.alive;
  });
  EXPECT_EQ(seen, expected);
  EXPECT_TRUE(allAliveWhenDrawn);
  EXPECT_EQ(r.points, 1);
  EXPECT_EQ(r.direction, 90.0f);
}

TEST(Rules, OnlyOneBlockIsHitPerFrame) {
  // A ball on the shared edge of two neighbours hits neither; inside one, only that one.
  Rules r;
  r.FillBlocks();
  r.ballX = 40;
  r.ballY = 15;
  r.BlockPass(kNoDraw);
  EXPECT_EQ(r.points, 0);
  r.ballX = 39;
  r.BlockPass(kNoDraw);
  EXPECT_EQ(r.points, 1);
}

TEST(Rules, WallsNudgeTheBallBackIn) {
  struct Case {
    float x, y, in, out;
  } cases[] = {{-3, 300, 190, -9.7063f}, {-3, 300, 180, 0},         {-3, 300, 135, 28.6746f},
               {643, 300, 0, 180},       {643, 300, 45, 151.3257f}, {643, 300, 10, 170.2937f},
               {300, -3, -90, 90},       {300, -3, -45, 61.3254f}};
  for (const Case& c : cases) {
    Rules r = ballAt(c.x, c.y, c.in);
    r.Walls();
    EXPECT_NEAR(r.direction, c.out, kListed) << c.x << "," << c.y << " heading " << c.in;
    EXPECT_EQ(r.ballX, c.x);  // not moved back inside
    EXPECT_EQ(r.ballY, c.y);
  }
  // Right on the lines counts as past them.
  for (auto xy : {std::pair<float, float>{0, 300}, {640, 300}, {300, 0}}) {
    Rules r = ballAt(xy.first, xy.second, 45);
    r.Walls();
    EXPECT_NE(r.direction, 45.0f) << xy.first << "," << xy.second;
  }
}

TEST(Rules, CornerGetsTheSideNudgeThenTheTopNudge) {
  Rules corner = ballAt(-3, -3, -135);
  corner.Walls();
  Rules expected = ballAt(-3, -3, -135);
  expected.Nudge(2, 0);
  expected.Nudge(0, 2);
  EXPECT_EQ(corner.direction, expected.direction);
  Rules topFirst = ballAt(-3, -3, -135);
  topFirst.Nudge(0, 2);
  topFirst.Nudge(2, 0);
  EXPECT_NE(corner.direction, topFirst.direction);
}

TEST(Rules, BottomResetAimsAtThePaddleAndKeepsPoints) {
  struct Case {
    float paddleX, out;
  } cases[] = {{320, 90}, {100, 137.7263f}, {600, 35.5377f}, {-50, 151.6070f}};
  for (const Case& c : cases) {
    Rules r = ballAt(500, 480, -20);
    r.points = 42;
    r.BottomReset(c.paddleX);
    EXPECT_EQ(r.ballX, 320.0f);
    EXPECT_EQ(r.ballY, 240.0f);
    EXPECT_NEAR(r.direction, c.out, kListed) << c.paddleX;
    EXPECT_EQ(r.points, 42);
  }
  Rules above = ballAt(500, std::nextafter(480.0f, 0.0f), -20);
  above.BottomReset(320);
  EXPECT_EQ(above.ballX, 500.0f);
  EXPECT_EQ(above.direction, -20.0f);
}

TEST(Rules, PaddleBounceFlattensTowardsItsEnds) {
  struct Case {
    float offset, out;
  } cases[] = {{0, -90}, {30, -59.0362f}, {-30, -120.9638f}, {74, -34.0459f}, {-74, -145.9541f}};
  for (float paddleX : {200.0f, -30.0f}) {
    for (const Case& c : cases) {
      Rules r = ballAt(paddleX + c.offset, 440, 80);
      r.PaddleBounce(paddleX);
      EXPECT_NEAR(r.direction, c.out, kListed) << paddleX << " + " << c.offset;
    }
  }
  // The band's edges do not bounce.
  const float edges[][2] = {{125, 440}, {275, 440}, {200, 430}, {200, 450}};
  for (const auto& e : edges) {
    Rules r = ballAt(e[0], e[1], 80);
    r.PaddleBounce(200);
    EXPECT_EQ(r.direction, 80.0f) << e[0] << "," << e[1];
  }
}

TEST(Rules, PaddleBoundsAreRoundedToFloat) {
  // Far off the field the bounds themselves round: 2^24 - 75 is exact, 2^24 + 75 is not.
  const float paddleX = 16777216.0f;
  Rules r = ballAt(paddleX + 76, 440, 80);  // lands on 2^24 + 76 = the rounded right bound
  r.PaddleBounce(paddleX);
  EXPECT_EQ(r.direction, 80.0f);
}

TEST(Rules, PointsReachAllBlocksInAScriptedGame) {
  Rules r;
  r.FillBlocks();
  r.PlaceBall();
  int resets = 0, resetsAfterFull = 0;
  for (int frame = 0; frame < 40000; ++frame) {
    // Follow the ball with a slowly sweeping offset, so the bounces fan out;
    // now and then leave the ball to fall.
    float paddleX = std::floor(r.ballX) + static_cast<float>((frame / 97) % 121 - 60);
    if (frame % 3000 > 2700) paddleX = -400;
    const int before = r.points;
    const bool falls = r.ballY + vLLengthdirY(10, r.direction) >= 480;
    r.Step(paddleX, kNoDraw);
    if (falls) {
      ++resets;
      EXPECT_EQ(r.ballY, 240.0f);
      EXPECT_EQ(r.points, before) << "frame " << frame;
      if (before == 160) ++resetsAfterFull;
    }
  }
  EXPECT_EQ(r.points, 160);
  EXPECT_GT(resets, resetsAfterFull);
  EXPECT_GT(resetsAfterFull, 0);  // the game goes on after the wall is gone
  for (const Block& b : r.blocks) EXPECT_FALSE(b.alive);
}

TEST(Rules, StepAllocatesNothing) {
  Rules r;
  r.FillBlocks();
  r.PlaceBall();
  int drawn = 0;
  const std::function<void(const Block&)> draw = [&drawn](const Block&) { ++drawn; };
  gAllocations = 0;
  gCounting = true;
  for (int frame = 0; frame < 5000; ++frame) r.Step(static_cast<float>(frame % 700 - 30), draw);
  gCounting = false;
  EXPECT_EQ(gAllocations, 0);
  EXPECT_GT(drawn, 0);
}

TEST(Rules, SoakKeepsTheInvariants) {
  Rules r;
  r.FillBlocks();
  r.PlaceBall();
  std::bitset<160> alive;
  alive.set();
  int drawn = 0;
  const std::function<void(const Block&)> draw = [&drawn](const Block&) { ++drawn; };
  unsigned lcg = 12345;
  int failures = 0;
  for (int frame = 0; frame < 1000000 && failures < 5; ++frame) {
    lcg = lcg * 1664525u + 1013904223u;
    float paddleX;
    switch ((frame / 5000) % 4) {
      case 0:
        paddleX = std::floor(r.ballX) + static_cast<float>(static_cast<int>(lcg >> 25) - 64);
        break;
      case 1:
        paddleX = static_cast<float>(static_cast<int>(lcg >> 20) - 2048);
        break;  // well outside too
      case 2:
        paddleX = (frame / 5000) % 8 == 2 ? -100000.0f : 100000.0f;
        break;
      default:
        paddleX = static_cast<float>(frame % 1300 - 330);
        break;
    }
    const int before = r.points;
    drawn = 0;
    r.Step(paddleX, draw);

    bool ok = std::isfinite(r.ballX) && std::isfinite(r.ballY) && std::isfinite(r.direction);
    // Every direction but the start value comes from the direction helper.
    ok = ok && (r.direction == 190 || (r.direction >= -180 && r.direction <= 180));
    // The paddle bounce comes after the walls, so near a side it can carry the
    // ball out for the few frames it stays in the band; it always comes back.
    ok = ok && r.ballX > -60 && r.ballX < 700 && r.ballY >= -10 && r.ballY < 480;
    ok = ok && r.points >= before && r.points - before <= 1 && r.points <= 160;
    ok = ok && drawn == 160 - before;
    int i = 0, living = 0;
    for (const Block& b : r.blocks) {
      ok = ok && !(b.alive && !alive[i]);
      alive[i++] = b.alive;
      living += b.alive;
    }
    ok = ok && living + r.points == 160;
    if (!ok) {
      ++failures;
      ADD_FAILURE() << "frame " << frame << ": ball (" << r.ballX << ", " << r.ballY << ") heading " << r.direction
                    << ", points " << before << " -> " << r.points << ", drawn " << drawn;
    }
  }
}
