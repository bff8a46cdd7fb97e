// SDL2 backend: lines of text drawn with SDL2_ttf, with a bounded cache of
// rendered lines so that text drawn every frame is rasterised once.
#include <SDL.h>
#include <SDL_ttf.h>

#include <algorithm>
#include <array>
#include <climits>
#include <functional>
#include <list>
#include <string>
#include <string_view>
#include <unordered_map>

#include "log.h"
#include "platform/platform.h"
#include "platform/sdl/sdl_backend.h"

namespace veltra {
namespace sdl {
namespace {

using platform::Font;

// The software renderer blits a colour-modulated texture through SDL's slow
// generic path, several times slower than rasterising the line afresh, so
// there a line is kept in the colour it is drawn in. GPUs modulate for free
// and keep one white raster for every colour.
struct TextKey {
  const Font* font;
  std::string text;
  std::uint32_t argb;  // 0xFFFFFFFF: white, modulated when drawn
  bool operator==(const TextKey& o) const { return font == o.font && argb == o.argb && text == o.text; }
};

struct TextKeyHash {
  std::size_t operator()(const TextKey& k) const {
    return std::hash<std::string_view>()(k.text) ^ (std::hash<const void*>()(k.font) * 31) ^ (k.argb * 0x9E3779B1u);
  }
};

struct TextEntry {
  TextKey key;
  SDL_Texture* texture;  // null when the text renders to nothing
  int width, height;
  std::uint32_t modulation;
};

class TextCache {
 public:
  // The cached line for `key` (one line, no newline), rendering it on a miss;
  // moves it to the front.
  TextEntry& get(const TextKey& key, SDL_Renderer* renderer) {
    auto found = index_.find(key);
    if (found != index_.end()) {
      lru_.splice(lru_.begin(), lru_, found->second);
      return *found->second;
    }
    lru_.push_front(render(key, renderer));
    index_.emplace(key, lru_.begin());
    bytes_ += sizeOf(lru_.front());
    ++rasterised_;
    while (lru_.size() > 1 && (lru_.size() > kTextCacheEntries || bytes_ > kTextCacheBytes)) dropLast();
    return lru_.front();
  }

  void clear() {
    // Textures of a renderer that went away with its window are not ours to free.
    const bool live = liveRenderer() != nullptr;
    for (TextEntry& e : lru_)
      if (live && e.texture) SDL_DestroyTexture(e.texture);
    lru_.clear();
    index_.clear();
    bytes_ = 0;
  }

  // The cached line for `key`, or null; does not render or reorder.
  const TextEntry* peek(const TextKey& key) const {
    const auto found = index_.find(key);
    return found == index_.end() ? nullptr : &*found->second;
  }

  TextCacheStats stats() const { return TextCacheStats{lru_.size(), bytes_, rasterised_}; }

 private:
  static std::size_t sizeOf(const TextEntry& e) { return static_cast<std::size_t>(e.width) * e.height * 4; }

  static TextEntry render(const TextKey& key, SDL_Renderer* renderer) {
    TextEntry e{key, nullptr, 0, 0, 0xFFFFFFFFu};
    const SDL_Color colour{static_cast<Uint8>(key.argb >> 16), static_cast<Uint8>(key.argb >> 8),
                           static_cast<Uint8>(key.argb), static_cast<Uint8>(key.argb >> 24)};
    TTF_Font* f = key.font->font;
    SDL_Surface* line = TTF_RenderUTF8_Blended(f, key.text.c_str(), colour);
    if (!line) {
      // All-blank text has nothing to draw; anything else is worth one line.
      if (key.text.find_first_not_of(" \t\r\n") != std::string::npos)
        warnOnce("text-render", "cannot render text \"%.40s\": %s", key.text.c_str(), TTF_GetError());
      return e;
    }
    e.texture = SDL_CreateTextureFromSurface(renderer, line);
    if (e.texture) {
      SDL_SetTextureBlendMode(e.texture, SDL_BLENDMODE_BLEND);
      e.width = line->w;
      e.height = line->h;
    } else {
      warnOnce("text-texture", "cannot draw text \"%.40s\" (%d x %d pixels): %s", key.text.c_str(), line->w, line->h,
               SDL_GetError());
    }
    SDL_FreeSurface(line);
    return e;
  }

  void dropLast() {
    TextEntry& e = lru_.back();
    if (e.texture) SDL_DestroyTexture(e.texture);
    bytes_ -= sizeOf(e);
    index_.erase(e.key);
    lru_.pop_back();
  }

  std::list<TextEntry> lru_;
  std::unordered_map<TextKey, std::list<TextEntry>::iterator, TextKeyHash> index_;
  std::size_t bytes_ = 0;
  std::uint64_t rasterised_ = 0;
};

TextCache& textCache() {
  static TextCache* cache = new TextCache;  // never torn down: SDL may be gone at exit
  return *cache;
}

// Lines up to this long are rendered whole; longer ones only in the part
// that the target can show.
constexpr std::size_t kWholeLineBytes = 256;

std::size_t boundaryAtOrBefore(std::string_view s, std::size_t i) {
  i = std::min(i, s.size());
  while (i > 0 && i < s.size() && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80) --i;
  return i;
}

long long prefixWidth(TTF_Font* font, std::string_view line, std::size_t bytes, std::string& scratch) {
  scratch.assign(line.data(), bytes);
  int w = 0, h = 0;
  return TTF_SizeUTF8(font, scratch.c_str(), &w, &h) == 0 ? w : 0;
}

// Where the line's character at `at` puts its pixels, as an offset for that
// character drawn first: the prefix through it less the character alone.
// Both measure its own right edge, so the difference keeps the kerning with
// the character before it, which the prefix without it would lose.
long long offsetOf(TTF_Font* font, std::string_view line, std::size_t at, std::string& scratch) {
  if (at == 0) return 0;
  std::size_t next = at + 1;
  while (next < line.size() && (static_cast<unsigned char>(line[next]) & 0xC0) == 0x80) ++next;
  const long long through = prefixWidth(font, line, next, scratch);
  return through - prefixWidth(font, line.substr(at, next - at), next - at, scratch);
}

// The shortest prefix, cut between characters, at least `width` pixels wide
// (or the whole line). Probes grow from a short prefix, so a line far longer
// than the target costs about what the target shows.
std::size_t prefixReaching(TTF_Font* font, std::string_view line, long long width, std::string& scratch) {
  if (width <= 0) return 0;
  std::size_t lo = 0, hi = line.size();
  for (std::size_t probe = kWholeLineBytes; probe < line.size(); probe *= 2) {
    const std::size_t b = boundaryAtOrBefore(line, probe);
    if (prefixWidth(font, line, b, scratch) >= width) {
      hi = b;
      break;
    }
    lo = b;
  }
  while (true) {
    const std::size_t mid = boundaryAtOrBefore(line, lo + (hi - lo) / 2);
    if (mid <= lo) return hi;
    (prefixWidth(font, line, mid, scratch) >= width ? hi : lo) = mid;
  }
}

// Whether a short line is rendered whole: it is already cached whole, or it
// cannot reach a cell past either side of the target. Big fonts make even a
// short line far wider than the target, and each glyph costs its size
// squared to rasterise, so then only the glyphs that show are rendered.
bool fitsWhole(const Font& font, std::string_view line, long long left, int outW, TextKey& key) {
  const long long cell = font.cellHeight;
  // No glyph advances more than two cells: most lines are settled unmeasured.
  if (left >= -cell && left + static_cast<long long>(line.size()) * 2 * cell <= outW + cell) return true;
  key.text.assign(line.data(), line.size());
  if (textCache().peek(key)) return true;
  int w = 0, h = 0;
  if (TTF_SizeUTF8(font.font, key.text.c_str(), &w, &h) != 0) return true;
  return left >= -cell && left + w <= outW + cell;
}

// The part of a line drawn at `left` that reaches the target, and where it
// goes. Finding it measures prefixes up to the cut, which at large sizes costs
// more than drawing, so the last cut is kept: text redrawn in place every
// frame is measured once.
struct Cut {
  const Font* font = nullptr;
  std::string line;
  long long left = 0;
  int outW = 0;
  std::size_t from = 0, to = 0;  // to <= from: nothing shows
  long long x = 0;
};

Cut& lastCut() {
  static Cut* cut = new Cut;
  return *cut;
}

const Cut& cutOf(const Font& font, std::string_view line, long long left, int outW) {
  Cut& c = lastCut();
  if (c.font == &font && c.left == left && c.outW == outW && c.line == line) return c;
  c.font = &font, c.left = left, c.outW = outW, c.from = 0, c.to = 0, c.x = left;
  c.line.assign(line.data(), line.size());
  // A cell's worth of slack keeps glyphs that overhang their advance.
  static std::string* scratch = new std::string;
  if (left < 0) {
    if (left + prefixWidth(font.font, line, line.size(), *scratch) <= 0) return c;  // ends before the target
    c.from = prefixReaching(font.font, line, -left - font.cellHeight, *scratch);
    c.from = c.from > 0 ? boundaryAtOrBefore(line, c.from - 1) : 0;
    c.x = left + offsetOf(font.font, line, c.from, *scratch);
  }
  c.to = prefixReaching(font.font, line, outW - left + font.cellHeight, *scratch);
  return c;
}

// Measuring costs SDL_ttf an allocation a call, and a game may measure its
// score every frame: the last few texts measured are kept.
class MeasureCache {
 public:
  const platform::Size* find(const Font* font, std::string_view text) const {
    for (const Entry& e : entries_)
      if (e.font == font && e.text == text) return &e.size;
    return nullptr;
  }
  void keep(const Font* font, std::string_view text, platform::Size size) {
    Entry& e = entries_[next_++ % kEntries];
    e.font = font, e.text.assign(text.data(), text.size()), e.size = size;
  }
  void clear() { entries_ = {}; }

 private:
  static constexpr std::size_t kEntries = 16;
  struct Entry {
    const Font* font = nullptr;
    std::string text;
    platform::Size size;
  };
  std::array<Entry, kEntries> entries_;
  std::size_t next_ = 0;
};

MeasureCache& measureCache() {
  static MeasureCache* cache = new MeasureCache;
  return *cache;
}

}  // namespace

TextCacheStats textCacheStats() { return textCache().stats(); }

void clearTextCache() {
  textCache().clear();
  measureCache().clear();
  lastCut() = Cut{};  // a font made later may reuse the address
}

void drawLine(const platform::Font& font, std::string_view line, long long left, long long top, int outW, int outH,
              std::uint32_t argb) {
  if (left >= outW) return;
  long long x = left;
  // One key reused across calls: a cache hit allocates nothing.
  static TextKey* key = new TextKey{nullptr, {}, 0xFFFFFFFFu};
  key->font = &font;
  key->argb = softwareRenderer() ? argb : 0xFFFFFFFFu;
  if (line.size() > kWholeLineBytes || !fitsWhole(font, line, left, outW, *key)) {
    const Cut& cut = cutOf(font, line, left, outW);
    if (cut.to <= cut.from) return;
    x = cut.x;
    line = line.substr(cut.from, cut.to - cut.from);
  }
  key->text.assign(line.data(), line.size());
  TextEntry& entry = textCache().get(*key, liveRenderer());
  if (!entry.texture) return;
  // Nothing is clipped, but a line wholly off the target is skipped, in 64
  // bits, before SDL's int rectangle maths can overflow.
  if (x >= outW || top >= outH || x + entry.width <= 0 || top + entry.height <= 0) return;
  const std::uint32_t modulation = key->argb == 0xFFFFFFFFu ? argb : 0xFFFFFFFFu;
  if (entry.modulation != modulation) {
    SDL_SetTextureColorMod(entry.texture, (modulation >> 16) & 0xFF, (modulation >> 8) & 0xFF, modulation & 0xFF);
    SDL_SetTextureAlphaMod(entry.texture, modulation >> 24);
    entry.modulation = modulation;
  }
  const SDL_Rect dst{static_cast<int>(x), static_cast<int>(top), entry.width, entry.height};
  SDL_RenderCopy(liveRenderer(), entry.texture, nullptr, &dst);
}

}  // namespace sdl

namespace platform {

void drawText(Font* font, const char* text, int count, int left, int top, std::uint32_t argb) {
  if (!font->font || count <= 0) return;
  SDL_Renderer* r = sdl::liveRenderer();
  if (!r) return;
  int outW = 0, outH = 0;
  SDL_GetRendererOutputSize(r, &outW, &outH);
  // Lines go down one line skip apart. Only those that reach the target are
  // rendered, and of a long line only what the target can show: the work and
  // memory of a call then follow the target's size, not the text's.
  const long long skip = TTF_FontLineSkip(font->font) > 0 ? TTF_FontLineSkip(font->font) : font->cellHeight;
  std::string_view rest(text, static_cast<std::size_t>(count));
  for (long long y = top; y < outH; y += skip) {
    const std::size_t end = rest.find('\n');
    const std::string_view line = rest.substr(0, end);
    if (!line.empty() && y + font->cellHeight + skip > 0) sdl::drawLine(*font, line, left, y, outW, outH, argb);
    if (end == std::string_view::npos) break;
    rest.remove_prefix(end + 1);
  }
}

Size measureText(Font* font, const char* text, int count) {
  if (!font->font || count <= 0) return {};
  const std::string_view whole(text, static_cast<std::size_t>(count));
  if (const Size* known = sdl::measureCache().find(font, whole)) return *known;
  // TTF needs each line with a zero after it: one buffer, kept.
  static std::string* line = new std::string;
  const long long skip = TTF_FontLineSkip(font->font) > 0 ? TTF_FontLineSkip(font->font) : font->cellHeight;
  std::string_view rest = whole;
  long long widest = 0, lines = 0;
  for (;;) {
    const std::size_t end = rest.find('\n');
    line->assign(rest.data(), std::min(end, rest.size()));
    int w = 0, h = 0;
    if (!line->empty() && TTF_SizeUTF8(font->font, line->c_str(), &w, &h) == 0) widest = std::max<long long>(widest, w);
    ++lines;
    if (end == std::string_view::npos) break;
    rest.remove_prefix(end + 1);
  }
  const long long height = (lines - 1) * skip + font->cellHeight;
  return Size{static_cast<int>(std::min<long long>(widest, INT_MAX)),
              static_cast<int>(std::min<long long>(height, INT_MAX))};
}

}  // namespace platform
}  // namespace veltra
