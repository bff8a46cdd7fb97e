// SDL2 backend: the program's own window, its events told to the front end's
// input state, and the end of the display it lives on.
#include <SDL.h>
#include <SDL_syswm.h>

#include <string>
#if defined(VELTRA_HAVE_X11)
#include <X11/Xlib.h>
#endif

#include "input.h"
#include "platform/platform.h"
#include "platform/sdl/sdl_backend.h"

namespace veltra {
namespace sdl {
namespace {

bool gDisplayGone = false;

// The keys with no character of their own, as public codes (or right-hand
// modifiers).
constexpr struct {
  SDL_Keycode sdl;
  int key;
} kNamedKeys[] = {
    {SDLK_BACKSPACE, vLKeyBackspace},
    {SDLK_TAB, vLKeyTab},
    {SDLK_RETURN, vLKeyEnter},
    {SDLK_KP_ENTER, vLKeyEnter},
    {SDLK_ESCAPE, vLKeyEscape},
    {SDLK_DELETE, vLKeyDelete},
    {SDLK_LEFT, vLKeyArrowLeft},
    {SDLK_RIGHT, vLKeyArrowRight},
    {SDLK_UP, vLKeyArrowUp},
    {SDLK_DOWN, vLKeyArrowDown},
    {SDLK_LSHIFT, vLKeyShift},
    {SDLK_RSHIFT, input::kRightShift},
    {SDLK_LCTRL, vLKeyControl},
    {SDLK_RCTRL, input::kRightControl},
    {SDLK_LALT, vLKeyAlt},
    {SDLK_RALT, input::kRightAlt},
    {SDLK_MODE, input::kRightAlt},
    {SDLK_INSERT, vLKeyInsert},
    {SDLK_HOME, vLKeyHome},
    {SDLK_END, vLKeyEnd},
    {SDLK_PAGEUP, vLKeyPageUp},
    {SDLK_PAGEDOWN, vLKeyPageDown},
};

// The key by what the user's layout prints on it, as the front end names
// it; -1 for one it does not name.
int keyOf(SDL_Keycode key) {
  if (key >= SDLK_a && key <= SDLK_z) return 'A' + (key - SDLK_a);
  if ((key >= SDLK_0 && key <= SDLK_9) || key == SDLK_SPACE) return key;
  if (key >= SDLK_F1 && key <= SDLK_F12) return vLKeyF1 + (key - SDLK_F1);
  for (const auto& named : kNamedKeys)
    if (named.sdl == key) return named.key;
  return -1;
}

int buttonOf(Uint8 button) {
  if (button == SDL_BUTTON_LEFT) return vLMouseLeft;
  if (button == SDL_BUTTON_RIGHT) return vLMouseRight;
  if (button == SDL_BUTTON_MIDDLE) return vLMouseMiddle;
  return -1;
}

// The device's accelerated renderer draws with OpenGL unless SDL is told to
// render some other way; a window made for it then is not made again.
bool rendersWithOpenGl() {
  const char* driver = SDL_GetHint(SDL_HINT_RENDER_DRIVER);
  return !driver || SDL_strcasecmp(driver, "opengl") == 0;
}

#if defined(VELTRA_HAVE_X11)
Display* gDisplay = nullptr;
XIOErrorHandler gOtherHandler = nullptr;

// Instead of ending the process, Xlib returns to its caller with the
// connection marked dead, and every later call on it does nothing.
void displayLost(Display*, void*) { gDisplayGone = true; }

// Xlib's own handler prints a line of its own for the lost display: the
// front end prints the engine's one. Other connections keep theirs.
int quietForOurDisplay(Display* display) {
  if (display == gDisplay || gDisplayGone) {
    XSetIOErrorExitHandler(display, displayLost, nullptr);
    return 0;
  }
  return gOtherHandler ? gOtherHandler(display) : 0;
}

#endif

void watchDisplay(SDL_Window* window) {
#if defined(VELTRA_HAVE_X11)
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return;
  gDisplay = info.info.x11.display;
  XSetIOErrorExitHandler(gDisplay, displayLost, nullptr);
  static const XIOErrorHandler other = XSetIOErrorHandler(quietForOurDisplay);
  gOtherHandler = other == quietForOurDisplay ? nullptr : other;
#else
  (void)window;
#endif
}

// Client pixels, also outside the window: asked of the X server where there
// is one, since SDL's own figure lags a pointer warped or moved elsewhere.
void reportPointer(SDL_Window* window) {
#if defined(VELTRA_HAVE_X11)
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_X11) {
    ::Window root, child;
    int rootX, rootY, x, y;
    unsigned int buttons;
    if (XQueryPointer(info.info.x11.display, info.info.x11.window, &root, &child, &rootX, &rootY, &x, &y, &buttons))
      input::pointerAt(static_cast<float>(x), static_cast<float>(y));
    return;
  }
#endif
  int globalX, globalY, windowX, windowY;
  SDL_GetGlobalMouseState(&globalX, &globalY);
  SDL_GetWindowPosition(window, &windowX, &windowY);
  input::pointerAt(static_cast<float>(globalX - windowX), static_cast<float>(globalY - windowY));
}

}  // namespace

bool displayGone() { return gDisplayGone; }

}  // namespace sdl

namespace platform {

vLWindow openWindow(const char* title, int width, int height, Why& why) {
  // SDL keeps its dead connections, and Xlib would end the process on them.
  if (sdl::gDisplayGone) {
    why = "the display went away earlier in this run";
    return nullptr;
  }
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    why = SDL_GetError();
    return nullptr;
  }
  // With no display SDL falls back to a driver that shows nothing, and the
  // game would run on unseen: only one named in SDL_VIDEODRIVER may do that.
  const char* named = SDL_GetHint(SDL_HINT_VIDEODRIVER);
  if (sdl::headlessVideoDriver() && !(named && SDL_strcasecmp(named, SDL_GetCurrentVideoDriver()) == 0)) {
    why = std::string("no display to show it on (SDL found only its \"") + SDL_GetCurrentVideoDriver() +
          "\" driver): set DISPLAY, or SDL_VIDEODRIVER to draw off screen on purpose";
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return nullptr;
  }
  const Uint32 shown = SDL_WINDOW_SHOWN;
  SDL_Window* window = nullptr;
  if (sdl::rendersWithOpenGl())
    window = SDL_CreateWindow(title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height,
                              shown | SDL_WINDOW_OPENGL);
  if (!window) window = SDL_CreateWindow(title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height, shown);
  if (!window) {
    why = SDL_GetError();
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return nullptr;
  }
  sdl::watchDisplay(window);
  return window;
}

WindowStatus pollWindow(vLWindow window) {
  const Uint32 id = SDL_GetWindowID(window);
  bool closeAsked = false;
  SDL_Event e;
  while (!sdl::gDisplayGone && SDL_PollEvent(&e)) {
    switch (e.type) {
      case SDL_QUIT:  // also Ctrl+C in the terminal, which SDL turns into a quit
        closeAsked = true;
        break;
      case SDL_WINDOWEVENT:
        if (e.window.windowID != id) break;
        if (e.window.event == SDL_WINDOWEVENT_CLOSE) closeAsked = true;
        if (e.window.event == SDL_WINDOWEVENT_FOCUS_LOST) input::releaseKeys();
        break;
      case SDL_KEYDOWN:
      case SDL_KEYUP:
        if (e.key.windowID == id) input::keyChanged(sdl::keyOf(e.key.keysym.sym), e.type == SDL_KEYDOWN);
        break;
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP:
        if (e.button.windowID == id)
          input::buttonChanged(sdl::buttonOf(e.button.button), e.type == SDL_MOUSEBUTTONDOWN);
        break;
      default:
        break;
    }
  }
  if (sdl::gDisplayGone) return WindowStatus::kDisplayGone;
  sdl::reportPointer(window);
  return closeAsked ? WindowStatus::kCloseAsked : WindowStatus::kOpen;
}

void closeWindow(vLWindow window) {
  // Nothing may talk to a display that is gone: SDL's other connection to it
  // has no handler of ours, and Xlib would end the process there.
  if (sdl::gDisplayGone) return;
  SDL_DestroyWindow(window);
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

}  // namespace platform
}  // namespace veltra
