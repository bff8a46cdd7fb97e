#include "game.h"

#include "brickfall_names.h"

namespace brickfall {

Game::Game(Engine& engine) : engine_(engine) {
  rules_.FillBlocks();
  // Made once: a frame must not allocate for its hook.
  drawBlock_ = [this](const Block& b) { engine_.draw(block_, {b.x, b.y, 0}, {20, 10, 0}, 0, 12, 12, 12); };
}

bool Game::start(vLWindow window) {
  if (!engine_.createDevice(window)) return false;
  engine_.lighting(1);
  engine_.zAxis(false);
  engine_.createFont(font_, 16, true, kFontFace);
  // Relative names: the pictures are looked for in the current folder.
  engine_.loadTexture(block_, kBlockPicture);
  engine_.createSprite(block_);
  engine_.loadTexture(paddle_, kPaddlePicture);
  engine_.createSprite(paddle_);
  engine_.loadTexture(ball_, kBallPicture);
  engine_.createSprite(ball_);
  rules_.PlaceBall();
  return true;
}

void Game::frame(int cursorX) {
  // The cursor is not clamped: off the window the paddle goes off the field.
  const float paddleX = static_cast<float>(cursorX);
  engine_.clear(10, 20, 30);
  engine_.beginRender();
  engine_.setTexture(block_);
  rules_.Step(paddleX, drawBlock_);
  engine_.setTexture(ball_);
  engine_.draw(ball_, {rules_.ballX, rules_.ballY, 30}, {7, 7, 0}, 0, 12, 12, 12);
  engine_.setTexture(paddle_);
  engine_.draw(paddle_, {paddleX, Rules::kPaddleY, 0}, {75, 10, 0}, 0, 0, 0, 0);
  pointsStream_ << "Points: " << rules_.points;
  pointsText_ = pointsStream_.str();
  engine_.drawText(font_.font, pointsText_.c_str(), {10, 10, 0}, 255, 0, 0);
  pointsStream_.str("");
  engine_.endRender();
  engine_.drawAll();
}

}  // namespace brickfall
