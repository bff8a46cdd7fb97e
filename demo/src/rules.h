// The brick-breaking rules, with no window or device: given the paddle x of
// each frame they advance the game by one frame and report each block to draw.
#pragma once

#include <functional>
#include <list>

namespace brickfall {

// One brick, 40 x 20, centred on (x, y). Hit bricks stay in the list, dead.
struct Block {
  float x, y;
  bool alive;
};

class Rules {
 public:
  static constexpr float kWidth = 640, kHeight = 480;  // side walls, bottom line
  static constexpr float kSpeed = 10;                  // pixels per frame
  static constexpr float kPaddleY = 440, kPaddleHalfWidth = 75;
  static constexpr int kColumns = 16, kRows = 10;

  // The 10 x 16 grid, row by row from the top; replaces any earlier grid.
  void FillBlocks();
  // Ball at (320, 480) heading 190 degrees, no points.
  void PlaceBall();
  // One frame: Move, BlockPass, Walls, BottomReset, PaddleBounce. `paddleX`
  // is used as given, also far off the field; it must be finite. An empty
  // `drawBlock` draws nothing.
  void Step(float paddleX, const std::function<void(const Block&)>& drawBlock);
  // Turns the ball towards the point one unit ahead of it, shifted by (ox, oy).
  void Nudge(float ox, float oy);

  // The steps of a frame, in the order Step runs them.
  void Move();
  // Draws each alive block, then tests it; a hit sends the ball down the screen.
  void BlockPass(const std::function<void(const Block&)>& drawBlock);
  void Walls();
  void BottomReset(float paddleX);   // a ball past the bottom restarts aimed at the paddle
  void PaddleBounce(float paddleX);  // away from a point 50 below the paddle's centre

  std::list<Block> blocks;
  float ballX = 0, ballY = 0, direction = 0;
  int points = 0;
};

}  // namespace brickfall
