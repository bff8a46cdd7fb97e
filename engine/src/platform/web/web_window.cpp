// The web backend's window: the page's canvas, sized and titled by
// vLOpenWindow. The browser hands events to their callbacks between frames;
// they are queued here and told to the front end's input state when the game
// polls, so that "pressed since the last poll" holds as natively. Keys are
// heard on the whole page and the pointer followed over it, relative to the
// canvas. A page is never asked to close: it is left.
#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include <string>

#include "input.h"
#include "platform/platform.h"
#include "platform/virtual_keys.h"

// Where a page point falls on the canvas, in canvas pixels, however the page
// lays the canvas out and scales it.
EM_JS(double, veltra_canvas_x, (const char* selector, double clientX), {
  var c = document.querySelector(UTF8ToString(selector)), r = c.getBoundingClientRect();
  return (clientX - r.left) * (r.width > 0 ? c.width / r.width : 1);
});
EM_JS(double, veltra_canvas_y, (const char* selector, double clientY), {
  var c = document.querySelector(UTF8ToString(selector)), r = c.getBoundingClientRect();
  return (clientY - r.top) * (r.height > 0 ? c.height / r.height : 1);
});

namespace veltra {
namespace platform {
namespace {

constexpr const char* kCanvas = "#canvas";
constexpr int kRightSide = 2;  // KeyboardEvent.location of a right-hand modifier

struct Event {
  enum Kind { kKey, kButton, kLostFocus } kind;
  int code;
  bool down;
};

// Events since the last poll, in order; a fixed ring, so taking them
// allocates nothing (a frame with more than it holds loses the newest).
struct Queue {
  Event events[256];
  int count = 0;
};

Queue gQueue;
bool gPointerSeen = false;
double gClientX = 0, gClientY = 0;

void push(Event e) {
  if (gQueue.count < static_cast<int>(sizeof gQueue.events / sizeof gQueue.events[0]))
    gQueue.events[gQueue.count++] = e;
}

EM_BOOL onKey(int type, const EmscriptenKeyboardEvent* e, void*) {
  const int key = keyOfVirtualKey(e->keyCode, e->location == kRightSide);
  if (key < 0) return EM_FALSE;  // the page keeps the keys the game has no name for
  push({Event::kKey, key, type == EMSCRIPTEN_EVENT_KEYDOWN});
  return EM_TRUE;  // a game's keys do not scroll the page or move its focus
}

EM_BOOL onMouse(int type, const EmscriptenMouseEvent* e, void*) {
  gClientX = e->clientX, gClientY = e->clientY;
  gPointerSeen = true;
  // DOM buttons: 0 left, 1 middle, 2 right.
  const int button = e->button == 0 ? vLMouseLeft : e->button == 2 ? vLMouseRight : e->button == 1 ? vLMouseMiddle : -1;
  if (type == EMSCRIPTEN_EVENT_MOUSEDOWN || type == EMSCRIPTEN_EVENT_MOUSEUP)
    push({Event::kButton, button, type == EMSCRIPTEN_EVENT_MOUSEDOWN});
  return EM_FALSE;
}

EM_BOOL onBlur(int, const EmscriptenFocusEvent*, void*) {
  push({Event::kLostFocus, 0, false});
  return EM_FALSE;
}

void listen(bool on) {
  const auto* page = EMSCRIPTEN_EVENT_TARGET_DOCUMENT;
  emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_FALSE, on ? onKey : nullptr);
  emscripten_set_keyup_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_FALSE, on ? onKey : nullptr);
  emscripten_set_mousemove_callback(page, nullptr, EM_FALSE, on ? onMouse : nullptr);
  emscripten_set_mousedown_callback(page, nullptr, EM_FALSE, on ? onMouse : nullptr);
  emscripten_set_mouseup_callback(page, nullptr, EM_FALSE, on ? onMouse : nullptr);
  emscripten_set_blur_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_FALSE, on ? onBlur : nullptr);
}

}  // namespace

vLWindow openWindow(const char* title, int width, int height, Why& why) {
  // A fixed size, one canvas pixel to one page pixel.
  if (emscripten_set_canvas_element_size(kCanvas, width, height) != EMSCRIPTEN_RESULT_SUCCESS ||
      emscripten_set_element_css_size(kCanvas, width, height) != EMSCRIPTEN_RESULT_SUCCESS) {
    why = std::string("the page has no canvas \"") + kCanvas + "\"";
    return nullptr;
  }
  emscripten_set_window_title(title);
  gQueue.count = 0;
  gPointerSeen = false;
  listen(true);
  return kCanvas;
}

WindowStatus pollWindow(vLWindow window) {
  for (int i = 0; i < gQueue.count; ++i) {
    const Event& e = gQueue.events[i];
    if (e.kind == Event::kKey) input::keyChanged(e.code, e.down);
    if (e.kind == Event::kButton) input::buttonChanged(e.code, e.down);
    if (e.kind == Event::kLostFocus) input::releaseKeys();
  }
  gQueue.count = 0;
  if (gPointerSeen)
    input::pointerAt(static_cast<float>(veltra_canvas_x(window, gClientX)),
                     static_cast<float>(veltra_canvas_y(window, gClientY)));
  return WindowStatus::kOpen;
}

void closeWindow(vLWindow) {
  listen(false);
  gQueue.count = 0;
}

}  // namespace platform
}  // namespace veltra
