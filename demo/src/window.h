// The game's window, one implementation per platform (window_sdl.cpp,
// window_win32.cpp). The frame loop uses only this.
#pragma once

#include <veltra/veltra.h>

namespace brickfall {

struct WindowEvents {
  bool tookEvent = false;  // one event was taken (and dispatched) this frame
  bool quit = false;       // ... and it was the quit event
};

class Window {
 public:
  // Registers the game's window class where the platform has one and opens
  // its window at (100, 100), 640 x 480, fixed size, with a minimise box
  // (names in brickfall_names.h).
  // False, after one line on stderr saying why, when it cannot.
  bool open();
  vLWindow handle() const;
  // Takes at most one waiting event and never waits.
  WindowEvents takeOneEvent();
  // The cursor's x relative to the client area, also outside it.
  int cursorX() const;
  // Destroys the window (if still there) and unregisters the class.
  void close();

 private:
  void* native_ = nullptr;
};

}  // namespace brickfall
