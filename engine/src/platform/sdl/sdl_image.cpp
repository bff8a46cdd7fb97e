// SDL2 backend: decoding image files without trusting them. A few bytes can
// claim a picture of billions of pixels, and the decoders allocate for the
// claim before they read any data; some of them also write their own lines
// to stderr. Both are kept inside one decode call here.
#include <SDL.h>
#include <SDL_image.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/sdl/sdl_backend.h"

// Present only in sanitizer builds: their reports must not go into the capture.
extern "C" void __sanitizer_set_report_fd(void* fd) __attribute__((weak));

namespace veltra {
namespace sdl {
namespace {

SDL_malloc_func gMalloc;
SDL_calloc_func gCalloc;
SDL_realloc_func gRealloc;
SDL_free_func gFree;
// Bytes any one SDL allocation may take while a decode runs on this thread; 0
// outside a decode.
thread_local std::size_t gBudget = 0;
thread_local bool gRefused = false;

bool withinBudget(std::size_t bytes) {
  if (gBudget == 0 || bytes <= gBudget) return true;
  gRefused = true;
  return false;
}

void* budgetMalloc(std::size_t size) { return withinBudget(size) ? gMalloc(size) : nullptr; }

void* budgetCalloc(std::size_t count, std::size_t size) {
  if (size != 0 && count > SIZE_MAX / size) return nullptr;
  return withinBudget(count * size) ? gCalloc(count, size) : nullptr;
}

void* budgetRealloc(void* block, std::size_t size) { return withinBudget(size) ? gRealloc(block, size) : nullptr; }

// SDL's allocators, wrapped once; blocks made before still go back through
// the same free.
void installBudget() {
  static const bool installed = [] {
    SDL_GetMemoryFunctions(&gMalloc, &gCalloc, &gRealloc, &gFree);
    return SDL_SetMemoryFunctions(budgetMalloc, budgetCalloc, budgetRealloc, gFree) == 0;
  }();
  (void)installed;
}

// Holds what is written to stderr while it lives, so the decoders' own lines
// end up inside the one line the engine prints.
class StderrCapture {
 public:
  StderrCapture() {
    std::fflush(stderr);
    sink_ = std::tmpfile();
    saved_ = sink_ ? dup(STDERR_FILENO) : -1;
    if (saved_ < 0 || dup2(fileno(sink_), STDERR_FILENO) < 0) return;
    if (__sanitizer_set_report_fd) __sanitizer_set_report_fd(reinterpret_cast<void*>(static_cast<intptr_t>(saved_)));
    active_ = true;
  }
  StderrCapture(const StderrCapture&) = delete;
  StderrCapture& operator=(const StderrCapture&) = delete;
  ~StderrCapture() { finish(); }

  // Restores stderr and returns what was written, joined into one line.
  std::string finish() {
    std::string said;
    if (active_) {
      std::fflush(stderr);
      dup2(saved_, STDERR_FILENO);
      if (__sanitizer_set_report_fd) __sanitizer_set_report_fd(reinterpret_cast<void*>(intptr_t{STDERR_FILENO}));
      std::rewind(sink_);
      char chunk[256];
      std::size_t n;
      while ((n = std::fread(chunk, 1, sizeof chunk, sink_)) > 0 && said.size() < 1024) said.append(chunk, n);
      active_ = false;
    }
    if (saved_ >= 0) close(saved_);
    if (sink_) std::fclose(sink_);
    saved_ = -1;
    sink_ = nullptr;
    while (!said.empty() && (said.back() == '\n' || said.back() == '\r')) said.pop_back();
    for (char& c : said)
      if (c == '\n' || c == '\r') c = ';';
    return said;
  }

 private:
  std::FILE* sink_ = nullptr;
  int saved_ = -1;
  bool active_ = false;
};

using Loader = SDL_Surface* (*)(SDL_RWops*);

// TGA has no magic bytes: a header is taken as one only if every field holds
// a value the format defines, so text and other formats rarely pass.
bool looksLikeTga(const unsigned char* h, std::size_t n) {
  if (n < 18) return false;
  const int mapType = h[1], type = h[2], mapBits = h[7], depth = h[16];
  const bool mapped = type == 1 || type == 9;
  if (mapType > 1 || (mapped != (mapType == 1))) return false;
  if (type != 1 && type != 2 && type != 3 && type != 9 && type != 10 && type != 11) return false;
  if (mapType == 1 && mapBits != 15 && mapBits != 16 && mapBits != 24 && mapBits != 32) return false;
  if (depth != 8 && depth != 15 && depth != 16 && depth != 24 && depth != 32) return false;
  const int width = h[12] | h[13] << 8, height = h[14] | h[15] << 8;
  return width > 0 && height > 0 && (h[17] & 0xC0) == 0;
}

// The decoder for the file's first bytes, or null: only these formats are
// read, so the library's other decoders, some of them leaky on bad input,
// are never reached.
Loader loaderFor(const unsigned char* h, std::size_t n) {
  const auto starts = [&](const char* magic, std::size_t at = 0) {
    const std::size_t len = std::strlen(magic);
    return n >= at + len && std::memcmp(h + at, magic, len) == 0;
  };
  if (starts("\x89PNG\r\n\x1a\n")) return IMG_LoadPNG_RW;
  if (starts("\xff\xd8\xff")) return IMG_LoadJPG_RW;
  if (starts("BM")) return IMG_LoadBMP_RW;
  if (starts("GIF87a") || starts("GIF89a")) return IMG_LoadGIF_RW;
  if (starts("RIFF") && starts("WEBP", 8)) return IMG_LoadWEBP_RW;
  if (starts("qoif")) return IMG_LoadQOI_RW;
  if (looksLikeTga(h, n)) return IMG_LoadTGA_RW;
  return nullptr;
}

SDL_Surface* loadKnownFormat(const char* file, int maxWidth, int maxHeight, std::string& why) {
  SDL_RWops* in = SDL_RWFromFile(file, "rb");
  if (!in) {
    why = SDL_GetError();
    return nullptr;
  }
  unsigned char head[18];
  const std::size_t n = SDL_RWread(in, head, 1, sizeof head);
  const Loader load = loaderFor(head, n);
  SDL_Surface* image = nullptr;
  if (!load) {
    why = "not a PNG, JPEG, BMP, GIF, WebP, QOI or TGA image";
  } else if (SDL_RWseek(in, 0, RW_SEEK_SET) != 0) {
    why = SDL_GetError();
  } else if (load == IMG_LoadGIF_RW &&
             (!gifIsSound(in, maxWidth, maxHeight, why) || SDL_RWseek(in, 0, RW_SEEK_SET) != 0)) {
    if (why.empty()) why = SDL_GetError();
  } else {
    image = load(in);
    if (!image) why = IMG_GetError();
  }
  SDL_RWclose(in);
  return image;
}

}  // namespace

SDL_Surface* decodeImage(const char* file, int maxWidth, int maxHeight, std::string& why) {
  installBudget();
  // Four bytes a pixel, the widest surface a decoder makes, plus slack for rows.
  gBudget = static_cast<std::size_t>(maxWidth) * static_cast<std::size_t>(maxHeight) * 4 + (1u << 20);
  gRefused = false;
  StderrCapture capture;
  SDL_Surface* image = loadKnownFormat(file, maxWidth, maxHeight, why);
  const std::string said = capture.finish();
  gBudget = 0;

  if (gRefused) {
    if (image) SDL_FreeSurface(image);
    why = "the image is larger than the device's " + std::to_string(maxWidth) + " x " + std::to_string(maxHeight) +
          " pixels";
    return nullptr;
  }
  if (!image) {
    if (!said.empty()) why += " (" + said + ")";
    return nullptr;
  }
  if (image->w <= 0 || image->h <= 0 || image->w > maxWidth || image->h > maxHeight) {
    why = std::to_string(image->w) + " x " + std::to_string(image->h) + " pixels is beyond the device's " +
          std::to_string(maxWidth) + " x " + std::to_string(maxHeight);
    SDL_FreeSurface(image);
    return nullptr;
  }
  return image;
}

}  // namespace sdl
}  // namespace veltra
