// Brickfall's start-up and frame loop, free of any platform: the window comes
// in as a template parameter (see window.h) and the engine behind `Engine`, so
// tests can run the loop with neither a display nor a device.
#pragma once

#include <veltra/veltra.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <sstream>
#include <string>

#include "rules.h"
#include "window.h"

namespace brickfall {

// The engine operations the game uses, one for one.
class Engine {
 public:
  virtual ~Engine() = default;
  virtual bool createDevice(vLWindow window) = 0;
  virtual void lighting(std::uint32_t value) = 0;
  virtual void zAxis(bool enable) = 0;
  virtual void createFont(vLMaterial& material, int height, bool flag, const char* face) = 0;
  virtual void loadTexture(vLMaterial& material, const char* file) = 0;
  virtual void createSprite(vLMaterial& material) = 0;
  virtual void clear(int red, int green, int blue) = 0;
  virtual void beginRender() = 0;
  virtual void endRender() = 0;
  virtual void drawAll() = 0;
  virtual void setTexture(vLMaterial material) = 0;
  virtual void draw(vLMaterial material, vLVector2 position, vLVector2 pivot, float angle, int a, int b, int c) = 0;
  virtual void drawText(int font, const char* text, vLVector2 position, int red, int green, int blue) = 0;
};

// The real engine, through its shared library.
class DeviceEngine final : public Engine {
 public:
  bool createDevice(vLWindow window) override;
  void lighting(std::uint32_t value) override;
  void zAxis(bool enable) override;
  void createFont(vLMaterial& material, int height, bool flag, const char* face) override;
  void loadTexture(vLMaterial& material, const char* file) override;
  void createSprite(vLMaterial& material) override;
  void clear(int red, int green, int blue) override;
  void beginRender() override;
  void endRender() override;
  void drawAll() override;
  void setTexture(vLMaterial material) override;
  void draw(vLMaterial material, vLVector2 position, vLVector2 pivot, float angle, int a, int b, int c) override;
  void drawText(int font, const char* text, vLVector2 position, int red, int green, int blue) override;

 private:
  vLDevice device_;
};

class Game {
 public:
  explicit Game(Engine& engine);  // builds the wall
  // Device, render states, font and pictures on `window`, then the ball at
  // its start. False when no device could be made.
  bool start(vLWindow window);
  // One whole frame for this frame's cursor x: the rules step, every draw
  // and the present.
  void frame(int cursorX);

  Rules& rules() { return rules_; }

 private:
  Engine& engine_;
  Rules rules_;
  vLMaterial font_, block_, paddle_, ball_;
  std::function<void(const Block&)> drawBlock_;
  std::ostringstream pointsStream_;
  std::string pointsText_;
};

// Opens the window and starts the game on it. False, after one line saying
// why, when the window or the device cannot be made.
template <typename WindowLayer>
bool open(WindowLayer& window, Game& game) {
  if (!window.open()) return false;  // the window layer has said why
  if (game.start(window.handle())) return true;
  std::fputs("brickfall: cannot create the graphics device on the window\n", stderr);
  window.close();
  return false;
}

// One pass of the frame loop: one event at most, never waiting, then the
// whole frame. False once the frame that took the quit event is drawn.
template <typename WindowLayer>
bool step(WindowLayer& window, Game& game) {
  const WindowEvents events = window.takeOneEvent();
  game.frame(window.cursorX());
  return !events.quit;
}

// Plays until the window's quit event. Returns the exit status: 0, or 1 when
// the window or the device cannot be made.
template <typename WindowLayer>
int play(WindowLayer& window, Engine& engine) {
  Game game(engine);
  if (!open(window, game)) return 1;
  while (step(window, game)) {
  }
  window.close();
  return 0;
}

}  // namespace brickfall
