// SDL2 backend: decoding image files without trusting them. A few bytes can
// claim a picture of billions of pixels, and the decoders allocate for the
// claim before they read any data; some of them also write their own lines
// to stderr. Both are kept inside one decode call here.
#include <SDL.h>
#include <SDL_image.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
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

}  // namespace

SDL_Surface* decodeImage(const char* file, int maxWidth, int maxHeight, std::string& why) {
  // Only regular files: a folder fails late and obscurely, a FIFO would block
  // the open until someone writes to it.
  struct stat info;
  if (stat(file, &info) != 0) {
    why = std::strerror(errno);
    return nullptr;
  }
  if (!S_ISREG(info.st_mode)) {
    why = S_ISDIR(info.st_mode) ? "it is a folder" : "not a regular file";
    return nullptr;
  }
  if (access(file, R_OK) != 0) {
    why = std::strerror(errno);
    return nullptr;
  }

  installBudget();
  // Four bytes a pixel, the widest surface a decoder makes, plus slack for rows.
  gBudget = static_cast<std::size_t>(maxWidth) * static_cast<std::size_t>(maxHeight) * 4 + (1u << 20);
  gRefused = false;
  StderrCapture capture;
  SDL_Surface* image = IMG_Load(file);
  const std::string said = capture.finish();
  gBudget = 0;

  if (gRefused) {
    if (image) SDL_FreeSurface(image);
    why = "the image is larger than the device's " + std::to_string(maxWidth) + " x " + std::to_string(maxHeight) +
          " pixels";
    return nullptr;
  }
  if (!image) {
    why = IMG_GetError();
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
