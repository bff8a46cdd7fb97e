// The window layer on SDL2. On X11 the cursor is read straight from the
// server, relative to the window, so it stays right outside the window too.
#include <SDL.h>
#include <SDL_syswm.h>

#include <cstdio>

#include "brickfall_names.h"
#include "window.h"

namespace brickfall {

namespace {
SDL_Window* sdlWindow(void* native) { return static_cast<SDL_Window*>(native); }

// The device's accelerated renderer draws with OpenGL unless SDL is told to
// render some other way.
bool rendersWithOpenGl() {
  const char* driver = SDL_GetHint(SDL_HINT_RENDER_DRIVER);
  return !driver || SDL_strcasecmp(driver, "opengl") == 0;
}
}  // namespace

bool Window::open() {
  // X11 names the window's class (WM_CLASS) from this when the window is made.
  SDL_setenv("SDL_VIDEO_X11_WMCLASS", kWindowClass, 1);
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "brickfall: cannot start the video system: %s\n", SDL_GetError());
    return false;
  }
  // Fixed size (no SDL_WINDOW_RESIZABLE); 640 x 480 is the client area.
  // Made for OpenGL when the device will draw with it: SDL would otherwise
  // destroy the shown window and make a new one when the device is created,
  // and whoever had found the first one would hold a window that is gone.
  // Without OpenGL, a plain window for the software renderer.
  const auto make = [](Uint32 flags) {
    return SDL_CreateWindow(kCaption, 100, 100, 640, 480, SDL_WINDOW_SHOWN | flags);
  };
  SDL_Window* window = rendersWithOpenGl() ? make(SDL_WINDOW_OPENGL) : nullptr;
  if (!window) window = make(0);
  if (!window) {
    std::fprintf(stderr, "brickfall: cannot open the window: %s\n", SDL_GetError());
    SDL_Quit();
    return false;
  }
  native_ = window;
  return true;
}

vLWindow Window::handle() const { return sdlWindow(native_); }

WindowEvents Window::takeOneEvent() {
  WindowEvents taken;
  SDL_Event event;
  // Closing the only window queues SDL_QUIT behind the close event, as a
  // destroyed window queues its quit message on Win32.
  if (SDL_PollEvent(&event)) {
    taken.tookEvent = true;
    taken.quit = event.type == SDL_QUIT;
  }
  return taken;
}

int Window::cursorX() const {
  SDL_Window* window = sdlWindow(native_);
#if defined(SDL_VIDEO_DRIVER_X11)
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_X11) {
    ::Window root, child;
    int rootX, rootY, x, y;
    unsigned int buttons;
    if (XQueryPointer(info.info.x11.display, info.info.x11.window, &root, &child, &rootX, &rootY, &x, &y, &buttons))
      return x;
  }
#endif
  // Elsewhere: the global cursor less the client area's position.
  int globalX, globalY, windowX, windowY;
  SDL_GetGlobalMouseState(&globalX, &globalY);
  SDL_GetWindowPosition(window, &windowX, &windowY);
  return globalX - windowX;
}

void Window::close() {
  if (native_) SDL_DestroyWindow(sdlWindow(native_));
  native_ = nullptr;
  SDL_Quit();
}

}  // namespace brickfall
