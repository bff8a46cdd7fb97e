// Web backend: the device (one WebGL 1 context on the caller's canvas), frame
// operations and read-back. The browser shows a frame when the program
// returns to it. A game whose loop is emscripten_set_main_loop returns after
// each frame, paced by requestAnimationFrame; one with a loop of its own,
// built with -sASYNCIFY, gives the browser its turn in DrawAll, which waits
// there for the next animation frame.
#include <GLES2/gl2.h>
#include <emscripten/emscripten.h>
#include <emscripten/html5.h>
#include <malloc.h>

#include <string>

#include "log.h"
#include "platform/platform.h"
#include "platform/web/web_backend.h"

// Whether DrawAll can wait for the next animation frame: in a browser, with
// Asyncify built in, and not inside emscripten's own main loop.
EM_JS(int, veltra_can_wait_for_frame, (), {
  var inMainLoop = typeof Browser != "undefined" && Browser.mainLoop && Browser.mainLoop.func;
  return typeof Asyncify != "undefined" && typeof requestAnimationFrame != "undefined" && !inMainLoop;
});

EM_ASYNC_JS(void, veltra_wait_for_frame, (), { await new Promise(function(shown) { requestAnimationFrame(shown); }); });

namespace veltra {
namespace web {
namespace {

struct Device {
  EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = 0;
  std::string canvas;  // its CSS selector
  std::uint32_t id = 0;
  int width = 0, height = 0;
  int maxTextureSide = 0;
};

Device gDevice;
std::uint32_t gLastId = 0;
unsigned gFrames = 0;

// The canvas's drawing buffer size, which the page may change between frames.
void followCanvasSize() {
  Device& d = gDevice;
  int w = 0, h = 0;
  if (emscripten_get_canvas_element_size(d.canvas.c_str(), &w, &h) != EMSCRIPTEN_RESULT_SUCCESS) return;
  d.width = w, d.height = h;
  setTarget(w, h);
}

}  // namespace

platform::Size canvasSize() {
  return gDevice.context ? platform::Size{gDevice.width, gDevice.height} : platform::Size{};
}
std::uint32_t contextId() { return gDevice.id; }
int maxTextureSide() { return gDevice.maxTextureSide; }

}  // namespace web

namespace platform {
using web::gDevice;

bool createDevice(vLWindow window, Why& why) {
  web::Device& d = gDevice;
  // A canvas keeps one context: a second CreateDevice on it reuses it, and
  // what was made on it still draws.
  if (d.context && d.canvas == window) {
    web::followCanvasSize();
    return true;
  }
  int w = 0, h = 0;
  if (emscripten_get_canvas_element_size(window, &w, &h) != EMSCRIPTEN_RESULT_SUCCESS) {
    why = std::string("the page has no canvas \"") + window + "\"";
    return false;
  }
  EmscriptenWebGLContextAttributes attributes;
  emscripten_webgl_init_context_attributes(&attributes);
  attributes.alpha = false;  // an opaque page element, as a window is
  attributes.depth = false;
  attributes.stencil = false;
  attributes.antialias = false;
  attributes.premultipliedAlpha = false;
  // Kept after the frame is shown, so it can be read back and saved.
  attributes.preserveDrawingBuffer = true;
  attributes.majorVersion = 1;
  attributes.minorVersion = 0;
  const EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = emscripten_webgl_create_context(window, &attributes);
  if (context <= 0) {
    why = "this browser has no WebGL (it is switched off, or the graphics driver is blocked)";
    return false;
  }
  if (emscripten_webgl_make_context_current(context) != EMSCRIPTEN_RESULT_SUCCESS || !web::makeProgram()) {
    why = "the WebGL context cannot draw textures";
    return false;
  }
  web::forgetText();
  d.context = context;
  d.canvas = window;
  d.id = ++web::gLastId;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &d.maxTextureSide);
  web::followCanvasSize();
  return true;
}

bool hasDevice() { return gDevice.context != 0; }

void clear(std::uint32_t argb) {
  web::followCanvasSize();
  glClearColor(static_cast<float>(argb >> 16 & 0xFF) / 255.0f, static_cast<float>(argb >> 8 & 0xFF) / 255.0f,
               static_cast<float>(argb & 0xFF) / 255.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
}

void present() {
  ++web::gFrames;
  if (veltra_can_wait_for_frame()) veltra_wait_for_frame();
}

bool readBackBuffer(Image& out, Why& why) {
  const int w = gDevice.width, h = gDevice.height;
  if (w <= 0 || h <= 0) {
    why = "the canvas has no pixels";
    return false;
  }
  std::vector<std::uint8_t> rgba(static_cast<std::size_t>(w) * h * 4);
  glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
  out.width = w, out.height = h;
  out.argb.resize(static_cast<std::size_t>(w) * h);
  // GL's rows start at the bottom.
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const std::uint8_t* p = &rgba[(static_cast<std::size_t>(h - 1 - y) * w + x) * 4];
      out.argb[static_cast<std::size_t>(y) * w + x] =
          0xFF000000u | std::uint32_t{p[0]} << 16 | std::uint32_t{p[1]} << 8 | p[2];
    }
  return true;
}

}  // namespace platform
}  // namespace veltra

// For the page and its tests: frames presented, and bytes the heap has handed out.
extern "C" EMSCRIPTEN_KEEPALIVE unsigned veltra_frames() { return veltra::web::gFrames; }
extern "C" EMSCRIPTEN_KEEPALIVE unsigned veltra_heap_in_use() { return static_cast<unsigned>(mallinfo().uordblks); }
