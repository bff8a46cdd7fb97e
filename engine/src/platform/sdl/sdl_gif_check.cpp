// SDL2 backend: a GIF is read only when it is well formed up to its first
// image. The library's GIF decoder skips bytes it does not understand, goes
// on to the next image when one cannot be made, and follows LZW codes that
// point at entries not yet defined; such a chain can run past its stack and
// corrupt the heap. This walks what the decoder will read and refuses a file
// that would take it off the well-formed path.
#include <SDL.h>

#include <cstdint>
#include <string>
#include <utility>

#include "platform/sdl/sdl_backend.h"

namespace veltra {
namespace sdl {
namespace {

constexpr int kMaxCodes = 1 << 12;  // LZW codes are at most 12 bits

// Follows the codes as the decoder reads them, entry by entry. It accepts a
// code only if it names an entry already defined or the one it defines, so
// that every entry's prefix comes before it and each chain ends.
class LzwCheck {
 public:
  explicit LzwCheck(int minSize) : minSize_(minSize), clear_(1 << minSize) { reset(); }

  // False once a code is unsound; the codes after an end code are not read.
  bool feed(std::uint8_t b) {
    if (ended_) return true;
    bits_ |= static_cast<std::uint32_t>(b) << count_;
    count_ += 8;
    while (!ended_ && count_ >= size_) {
      const int code = static_cast<int>(bits_ & ((1u << size_) - 1));
      bits_ >>= size_;
      count_ -= size_;
      if (!step(code)) return false;
    }
    return true;
  }

 private:
  void reset() {
    size_ = minSize_ + 1, next_ = clear_ + 2, limit_ = 2 * clear_;
    first_ = true;
  }

  bool step(int code) {
    if (code == clear_) {
      reset();
      return true;
    }
    if (first_) {  // read as a pixel, even the end code
      first_ = false;
      return code < next_;
    }
    if (code == clear_ + 1) {
      ended_ = true;
      return true;
    }
    if (code > next_) return false;
    if (next_ < kMaxCodes && ++next_ >= limit_ && limit_ < kMaxCodes) limit_ *= 2, ++size_;
    return true;
  }

  const int minSize_, clear_;
  int size_ = 0, next_ = 0, limit_ = 0;
  bool first_ = true, ended_ = false;
  std::uint32_t bits_ = 0;
  int count_ = 0;
};

class Reader {
 public:
  explicit Reader(SDL_RWops* in) : in_(in) {}
  bool byte(std::uint8_t& b) { return SDL_RWread(in_, &b, 1, 1) == 1; }
  bool bytes(std::uint8_t* out, std::size_t n) { return n == 0 || SDL_RWread(in_, out, n, 1) == 1; }
  bool skip(std::size_t n) {
    std::uint8_t scratch[768];
    return bytes(scratch, n);
  }
  // Sub-blocks up to the empty one, each byte through `check` if given.
  bool blocks(LzwCheck* check, bool& sound) {
    std::uint8_t block[255];
    for (std::uint8_t n; byte(n);) {
      if (n == 0) return true;
      if (!bytes(block, n)) return false;
      for (int i = 0; check && sound && i < n; ++i) sound = check->feed(block[i]);
    }
    return false;
  }

 private:
  SDL_RWops* in_;
};

}  // namespace

bool gifIsSound(SDL_RWops* in, int maxWidth, int maxHeight, std::string& why) {
  const auto refuse = [&](std::string text) {
    why = std::move(text);
    return false;
  };
  Reader r(in);
  bool sound = true;
  std::uint8_t head[13];
  if (!r.bytes(head, sizeof head)) return refuse("the GIF ends inside its header");
  if (head[10] & 0x80 && !r.skip(3u << ((head[10] & 7) + 1))) return refuse("the GIF ends inside its colours");
  for (std::uint8_t kind; r.byte(kind);) {
    if (kind == '!') {
      if (!r.skip(1) || !r.blocks(nullptr, sound)) return refuse("the GIF ends inside an extension");
      continue;
    }
    if (kind != ',') return refuse("the GIF has a stray byte or its end before an image");
    std::uint8_t d[9];
    if (!r.bytes(d, sizeof d)) return refuse("the GIF ends inside an image header");
    const int w = d[4] | d[5] << 8, h = d[6] | d[7] << 8;
    if (w == 0 || h == 0 || w > maxWidth || h > maxHeight)
      return refuse("its first image is " + std::to_string(w) + " x " + std::to_string(h) + " pixels");
    if (d[8] & 0x80 && !r.skip(3u << ((d[8] & 7) + 1))) return refuse("the GIF ends inside its colours");
    std::uint8_t minSize;
    if (!r.byte(minSize) || minSize < 2 || minSize > 8) return refuse("the GIF's code size is not 2 to 8 bits");
    LzwCheck check(minSize);
    if (!r.blocks(&check, sound)) return refuse("the GIF ends inside its image data");
    if (!sound) return refuse("the GIF's image data refers to codes not yet defined");
    return true;
  }
  return refuse("the GIF has no image");
}

}  // namespace sdl
}  // namespace veltra
