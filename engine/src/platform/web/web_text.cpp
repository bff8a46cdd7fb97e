// Web backend: text drawn by the browser's Canvas 2D fillText into a
// texture, white, and tinted when drawn. A bounded cache keeps the lines
// drawn lately, so a line drawn every frame is rasterised once.
#include <GLES2/gl2.h>
#include <emscripten/emscripten.h>

#include <algorithm>
#include <cmath>
#include <list>
#include <string>
#include <string_view>
#include <unordered_map>

#include "log.h"
#include "platform/platform.h"
#include "platform/web/web_backend.h"

// The font's CSS: its size chosen so the cell (ascent + descent) is `height`
// pixels. A face the page has not registered falls back to the shipped font
// (see web_page.js). Returns the font's number, or -1 outside a browser.
EM_JS(int, veltra_font_make, (const char* face, int height, int bold), {
  if (typeof document == "undefined") return -1;
  var ctx = document.createElement("canvas").getContext("2d");
  var quote = String.fromCharCode(34);
  // No quote, backslash or control character: the name stays one CSS string.
  var name = UTF8ToString(face)
                 .split("")
                 .filter(function(c) { return c != quote && c.charCodeAt(0) != 92 && c >= " "; })
                 .join("");
  var family = quote + name + quote + ", veltra-sans, sans-serif";
  var weight = bold ? "bold " : "";
  ctx.font = weight + "100px " + family;
  // Browsers without the font's box measure give the shipped font's, 0.928 + 0.236 em.
  var m = ctx.measureText("Hg");
  var px = height * 100 / (m.fontBoundingBoxAscent + m.fontBoundingBoxDescent || 116.4);
  ctx.font = weight + px + "px " + family;
  m = ctx.measureText("Hg");
  Module.veltraFonts = Module.veltraFonts || [];
  Module.veltraFonts.push({css : ctx.font, ascent : m.fontBoundingBoxAscent || px * 0.928});
  return Module.veltraFonts.length - 1;
});

// The advance width of `bytes` bytes of UTF-8 in the font, in pixels.
EM_JS(double, veltra_text_width, (int font, const char* text, int bytes), {
  var ctx = Module.veltraTextContext || (Module.veltraTextContext = document.createElement("canvas").getContext("2d"));
  ctx.font = Module.veltraFonts[font].css;
  return ctx.measureText(UTF8ToString(text, bytes)).width;
});

// Draws the line from `offset` pixels left of the raster's left edge into a
// width x height raster and puts it into the bound texture.
EM_JS(void, veltra_text_raster, (int font, const char* text, int bytes, int offset, int width, int height), {
  var canvas = Module.veltraTextCanvas || (Module.veltraTextCanvas = document.createElement("canvas"));
  canvas.width = width;
  canvas.height = height;
  var ctx = canvas.getContext("2d");
  ctx.font = Module.veltraFonts[font].css;
  ctx.fillStyle = "white";
  ctx.fillText(UTF8ToString(text, bytes), -offset, Module.veltraFonts[font].ascent);
  GLctx.texImage2D(GLctx.TEXTURE_2D, 0, GLctx.RGBA, GLctx.RGBA, GLctx.UNSIGNED_BYTE, canvas);
});

namespace veltra {
namespace platform {

struct Font {
  int id;    // its number on the page
  int cell;  // ascent + descent, and the distance between lines, in pixels
};

Font* createFont(int height, int weight, const char* face, Why& why) {
  constexpr int kMaxHeight = 1024;
  if (height < 1 || height > kMaxHeight) {
    why = "height " + std::to_string(height) + " is outside 1 to " + std::to_string(kMaxHeight);
    return nullptr;
  }
  const int id = veltra_font_make(face, height, weight >= 600);
  if (id < 0) {
    why = "there is no page to draw text on";
    return nullptr;
  }
  return web::keep(Font{id, height});
}

}  // namespace platform

namespace web {
namespace {

using platform::Font;

// Lines up to this wide are kept whole; wider ones are drawn afresh, only the
// part the target shows (canvases and textures have a largest side).
constexpr double kWholeLineWidth = 4096;
constexpr std::size_t kCacheLines = 256;
constexpr std::size_t kCacheBytes = 16u << 20;

struct Line {
  std::string key;  // the font's number, a zero byte, the text
  GLuint texture;
  int width, height;
};

class LineCache {
 public:
  const Line* find(const std::string& key) {
    const auto found = index_.find(key);
    if (found == index_.end()) return nullptr;
    lines_.splice(lines_.begin(), lines_, found->second);
    return &lines_.front();
  }
  const Line& add(const std::string& key, GLuint texture, int width, int height) {
    lines_.push_front(Line{key, texture, width, height});
    index_.emplace(lines_.front().key, lines_.begin());
    bytes_ += bytesOf(lines_.front());
    while (lines_.size() > 1 && (lines_.size() > kCacheLines || bytes_ > kCacheBytes)) {
      const Line& last = lines_.back();
      glDeleteTextures(1, &last.texture);
      bytes_ -= bytesOf(last);
      index_.erase(last.key);
      lines_.pop_back();
    }
    return lines_.front();
  }
  void clear() {  // the textures went with the context being left
    lines_.clear();
    index_.clear();
    bytes_ = 0;
  }

 private:
  static std::size_t bytesOf(const Line& l) { return static_cast<std::size_t>(l.width) * l.height * 4; }
  std::list<Line> lines_;
  std::unordered_map<std::string_view, std::list<Line>::iterator> index_;
  std::size_t bytes_ = 0;
};

LineCache& cache() {
  static auto* c = new LineCache;
  return *c;
}

GLuint gWideLine = 0;  // the one texture for parts of wide lines

void drawLine(const Font& font, std::string_view line, long long left, long long top, int outW, std::uint32_t argb) {
  // One key reused across calls: a cache hit allocates nothing.
  static auto* key = new std::string;
  key->assign(std::to_string(font.id)).push_back('\0');
  key->append(line.data(), line.size());
  const int bytes = static_cast<int>(line.size());
  const Line* cached = cache().find(*key);
  long long x = left;
  int w = 0;
  GLuint texture = 0;
  if (cached) {
    texture = cached->texture, w = cached->width;
  } else {
    const double width = veltra_text_width(font.id, line.data(), bytes);
    if (width <= kWholeLineWidth) {
      w = static_cast<int>(std::ceil(width));
      if (w <= 0) return;
      texture = newTexture();
      veltra_text_raster(font.id, line.data(), bytes, 0, w, font.cell);
      texture = cache().add(*key, texture, w, font.cell).texture;
    } else {
      // A cell's slack on either side keeps glyphs that overhang the target's edge.
      const long long from = std::max(0LL, -left - font.cell);
      const long long to = std::min(static_cast<long long>(std::ceil(width)), outW - left + font.cell);
      if (to <= from) return;
      if (!gWideLine) gWideLine = newTexture();
      texture = gWideLine;
      glBindTexture(GL_TEXTURE_2D, texture);
      w = static_cast<int>(to - from);
      veltra_text_raster(font.id, line.data(), bytes, static_cast<int>(from), w, font.cell);
      x = left + from;
    }
  }
  Quad q;
  q.x[0] = q.x[2] = static_cast<float>(x);
  q.x[1] = q.x[3] = static_cast<float>(x + w);
  q.y[0] = q.y[1] = static_cast<float>(top);
  q.y[2] = q.y[3] = static_cast<float>(top + font.cell);
  q.u0 = q.v0 = 0, q.u1 = q.v1 = 1;
  drawQuad(texture, q, argb);
}

}  // namespace

void forgetText() {
  cache().clear();
  gWideLine = 0;
}

}  // namespace web

namespace platform {

void drawText(Font* font, const char* text, int count, int left, int top, std::uint32_t argb) {
  const Size target = web::canvasSize();
  // Only the lines that reach the target are drawn, and of a wide line only
  // what the target shows: the work follows the target's size, not the text's.
  std::string_view rest(text, static_cast<std::size_t>(count));
  for (long long y = top; y < target.height; y += font->cell) {
    const std::size_t end = rest.find('\n');
    const std::string_view line = rest.substr(0, end);
    if (!line.empty() && y + font->cell > 0 && left < target.width)
      web::drawLine(*font, line, left, y, target.width, argb);
    if (end == std::string_view::npos) break;
    rest.remove_prefix(end + 1);
  }
}

Size measureText(Font* font, const char* text, int count) {
  std::string_view rest(text, static_cast<std::size_t>(count));
  double widest = 0;
  int lines = 0;
  for (;;) {
    const std::size_t end = rest.find('\n');
    const std::string_view line = rest.substr(0, end);
    ++lines;
    if (!line.empty())
      widest = std::max(widest, veltra_text_width(font->id, line.data(), static_cast<int>(line.size())));
    if (end == std::string_view::npos) break;
    rest.remove_prefix(end + 1);
  }
  return Size{static_cast<int>(std::ceil(widest)), lines * font->cell};
}

}  // namespace platform
}  // namespace veltra
