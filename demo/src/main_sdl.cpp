// Brickfall's entry on SDL2 platforms. It takes no command line and reads no
// configuration: the game is the same every time.
#include "game.h"

int main() {
  brickfall::Window window;
  brickfall::DeviceEngine engine;
  return brickfall::play(window, engine);
}
