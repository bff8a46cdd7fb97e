#include "rules.h"

#include <veltra/veltra.h>

// All arithmetic here is float: each sum and bound is rounded to single
// precision before it is compared, as the engine's helpers round their results.
namespace brickfall {

namespace {
constexpr float kHalfBlockW = 20, kHalfBlockH = 10;
constexpr float kBandTop = 430, kBandBottom = 450;  // the paddle's hit band
constexpr float kAimBelowPaddle = 490;
constexpr float kRestartX = 320, kRestartY = 240;

float aim(float ax, float ay, float bx, float by) { return vLPointDirection({ax, ay, 0}, {bx, by, 0}); }
}  // namespace

void Rules::FillBlocks() {
  blocks.clear();
  for (int row = 0; row < kRows; ++row)
    for (int col = 0; col < kColumns; ++col)
      blocks.push_back(Block{static_cast<float>(col * 40 + 20), static_cast<float>(row * 20 + 10), true});
}

void Rules::PlaceBall() {
  ballX = 320;
  ballY = 480;
  direction = 190;
  points = 0;
}

void Rules::Nudge(float ox, float oy) {
  const float px = (ballX + vLLengthdirX(1, direction)) + ox;
  const float py = (ballY + vLLengthdirY(1, direction)) + oy;
  direction = aim(ballX, ballY, px, py);
}

void Rules::Move() {
  // Both components from the direction before the move.
  const float d = direction;
  ballX = ballX + vLLengthdirX(kSpeed, d);
  ballY = ballY + vLLengthdirY(kSpeed, d);
}

void Rules::BlockPass(const std::function<void(const Block&)>& drawBlock) {
  for (Block& b : blocks) {
    if (!b.alive) continue;
    if (drawBlock) drawBlock(b);
    const float left = b.x - kHalfBlockW, right = b.x + kHalfBlockW;
    const float top = b.y - kHalfBlockH, bottom = b.y + kHalfBlockH;
    if (left < ballX && ballX < right && top < ballY && ballY < bottom) {
      // Up then down, whatever side the ball came in by: it always leaves downward.
      Nudge(0, -2);
      Nudge(0, 2);
      ++points;
      b.alive = false;
    }
  }
}

void Rules::Walls() {
  // Independent tests: a ball past a corner gets both nudges, the side first.
  if (ballX <= 0) Nudge(2, 0);
  if (ballX >= kWidth) Nudge(-2, 0);
  if (ballY <= 0) Nudge(0, 2);
}

void Rules::BottomReset(float paddleX) {
  if (ballY < kHeight) return;
  ballX = kRestartX;
  ballY = kRestartY;
  direction = aim(kRestartX, kRestartY, paddleX, kPaddleY);
}

void Rules::PaddleBounce(float paddleX) {
  const float left = paddleX - kPaddleHalfWidth, right = paddleX + kPaddleHalfWidth;
  if (left < ballX && ballX < right && kBandTop < ballY && ballY < kBandBottom)
    direction = aim(paddleX, kAimBelowPaddle, ballX, ballY);
}

void Rules::Step(float paddleX, const std::function<void(const Block&)>& drawBlock) {
  Move();
  BlockPass(drawBlock);
  Walls();
  BottomReset(paddleX);
  PaddleBounce(paddleX);
}

}  // namespace brickfall
