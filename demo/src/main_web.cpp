// Brickfall's entry in a browser. The browser owns the loop: each animation
// frame runs one pass of the game's frame loop, and main returns at once.
#include <emscripten/emscripten.h>

#include "game.h"

namespace {

struct Play {
  brickfall::Window window;
  brickfall::DeviceEngine engine;
  brickfall::Game game{engine};
};

void frame(void* play) {
  Play& p = *static_cast<Play*>(play);
  if (!brickfall::step(p.window, p.game)) {
    emscripten_cancel_main_loop();
    p.window.close();
  }
}

}  // namespace

int main() {
  static Play play;
  if (!brickfall::open(play.window, play.game)) return 1;
  emscripten_set_main_loop_arg(frame, &play, 0, 1);
  return 0;
}
