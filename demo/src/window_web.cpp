// The window layer in a browser: the page's canvas is the window. The
// pointer is followed over the whole page, relative to the canvas, so the
// paddle keeps following it outside the canvas as it does natively.
#include <emscripten/html5.h>

#include <cstdio>

#include "brickfall_names.h"
#include "window.h"

namespace brickfall {
namespace {

constexpr const char* kCanvas = "#canvas";
constexpr int kWidth = 640, kHeight = 480;

struct Pointer {
  int x = 0;
  bool moved = false;
};
Pointer gPointer;

EM_BOOL onMouseMove(int, const EmscriptenMouseEvent* event, void*) {
  gPointer.x = static_cast<int>(event->targetX);
  gPointer.moved = true;
  return EM_FALSE;
}

}  // namespace

bool Window::open() {
  // A fixed size, drawn one canvas pixel to one page pixel.
  if (emscripten_set_canvas_element_size(kCanvas, kWidth, kHeight) != EMSCRIPTEN_RESULT_SUCCESS ||
      emscripten_set_element_css_size(kCanvas, kWidth, kHeight) != EMSCRIPTEN_RESULT_SUCCESS) {
    std::fprintf(stderr, "brickfall: the page has no canvas \"%s\" to play in\n", kCanvas);
    return false;
  }
  emscripten_set_window_title(kCaption);
  // Moves anywhere on the page reach the document. Its targetX is a page
  // coordinate, which is the canvas's own: the canvas sits at (0, 0).
  emscripten_set_mousemove_callback(EMSCRIPTEN_EVENT_TARGET_DOCUMENT, nullptr, EM_FALSE, onMouseMove);
  native_ = const_cast<char*>(kCanvas);
  return true;
}

vLWindow Window::handle() const { return static_cast<const char*>(native_); }

WindowEvents Window::takeOneEvent() {
  // The browser hands events to their callbacks between frames; a page is
  // never asked to quit, it is left.
  WindowEvents taken;
  taken.tookEvent = gPointer.moved;
  gPointer.moved = false;
  return taken;
}

int Window::cursorX() const { return gPointer.x; }

void Window::close() {
  emscripten_set_mousemove_callback(EMSCRIPTEN_EVENT_TARGET_DOCUMENT, nullptr, EM_FALSE, nullptr);
  native_ = nullptr;
}

}  // namespace brickfall
