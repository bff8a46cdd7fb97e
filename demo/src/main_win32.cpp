// Brickfall's entry on Windows. It reads none of its arguments: the game is
// the same every time, and the window is shown the same way whatever the
// show command.
#include <windows.h>

#include "game.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  brickfall::Window window;
  brickfall::DeviceEngine engine;
  return brickfall::play(window, engine);
}
