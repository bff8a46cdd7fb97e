// The web backend's headless window: a canvas of its own on the test page,
// in headless Chromium with WebGL drawn in software.
#include <emscripten/emscripten.h>
#include <stb_image.h>

#include <deque>
#include <string>

#include "headless.h"

// A new canvas at the page's top-left corner; its number.
EM_JS(int, test_canvas_open, (int width, int height), {
  var canvas = document.createElement('canvas');
  Module.testCanvases = (Module.testCanvases || 0) + 1;
  canvas.id = 'pixels' + Module.testCanvases;
  canvas.width = width;
  canvas.height = height;
  canvas.style.cssText = 'position:absolute;left:0;top:0;width:' + width + 'px;height:' + height + 'px';
  document.body.appendChild(canvas);
  return Module.testCanvases;
});

EM_JS(void, test_canvas_close, (const char* selector), {
  var canvas = document.querySelector(UTF8ToString(selector));
  if (canvas) canvas.remove();
});

namespace headless {

// The backend samples the nearest texel, exactly.
const double kNeighbourShare = 0;
const int kCapitalHeight16 = 10;
const int kMeasureSlack = 3;

vLWindow openWindow(int width, int height) {
  // Selectors live as long as the program, as a window handle would.
  static auto* names = new std::deque<std::string>;
  names->push_back("#pixels" + std::to_string(test_canvas_open(width, height)));
  return names->back().c_str();
}

void closeWindow(vLWindow window) { test_canvas_close(window); }

bool readPng(const std::string& path, veltra::platform::Image& out) {
  int w = 0, h = 0, n = 0;
  stbi_uc* rgba = stbi_load(path.c_str(), &w, &h, &n, 4);
  if (!rgba) return false;
  out.width = w, out.height = h;
  out.argb.resize(static_cast<std::size_t>(w) * h);
  for (std::size_t i = 0; i < out.argb.size(); ++i)
    out.argb[i] = std::uint32_t{rgba[i * 4 + 3]} << 24 | std::uint32_t{rgba[i * 4]} << 16 |
                  std::uint32_t{rgba[i * 4 + 1]} << 8 | rgba[i * 4 + 2];
  stbi_image_free(rgba);
  return true;
}

}  // namespace headless
