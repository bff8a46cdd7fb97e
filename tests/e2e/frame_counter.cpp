// Preloaded into Brickfall by the soak and valgrind legs, which leave the game
// itself unchanged: counts presented frames, samples resident memory, and after
// FRAME_COUNTER_FRAMES frames asks the window to close as a window manager does.
//   FRAME_COUNTER_FRAMES  frames to run (required; without it nothing is counted)
//   FRAME_COUNTER_WARMUP  frame at which the first RSS figure is taken (default 10000)
//   FRAME_COUNTER_REPORT  file the figures go to (default: none written)
#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace {

long envNumber(const char* name, long fallback) {
  const char* text = std::getenv(name);
  if (!text || !*text) return fallback;
  char* end = nullptr;
  const long value = std::strtol(text, &end, 10);
  return *end == '\0' && value > 0 ? value : fallback;
}

long residentKib() {
  long pages = 0, resident = 0;
  FILE* statm = std::fopen("/proc/self/statm", "r");
  if (!statm) return -1;
  const bool read = std::fscanf(statm, "%ld %ld", &pages, &resident) == 2;
  std::fclose(statm);
  return read ? resident * (sysconf(_SC_PAGESIZE) / 1024) : -1;
}

// Through the X server, so the game sees the close request exactly as it
// sees one from a window manager: SDL turns it into SDL_QUIT.
bool askToClose(SDL_Renderer* renderer) {
  SDL_Window* window = SDL_RenderGetWindow(renderer);
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return false;
  Display* display = info.info.x11.display;
  XEvent e{};
  e.xclient.type = ClientMessage;
  e.xclient.window = info.info.x11.window;
  e.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  e.xclient.format = 32;
  e.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  e.xclient.data.l[1] = CurrentTime;
  const bool sent = XSendEvent(display, info.info.x11.window, False, NoEventMask, &e) != 0;
  XFlush(display);
  return sent;
}

struct Counter {
  long target = envNumber("FRAME_COUNTER_FRAMES", 0);
  long warmup = envNumber("FRAME_COUNTER_WARMUP", 10000);
  const char* report = std::getenv("FRAME_COUNTER_REPORT");
  long frames = 0;
  long warmupKib = -1;
  long endKib = -1;
  bool closeSent = false;

  void writeReport() const {
    if (!report || !*report) return;
    FILE* out = std::fopen(report, "w");
    if (!out) return;
    std::fprintf(out, "frames %ld\nclose_at %ld\nwarmup_frame %ld\nwarmup_rss_kib %ld\nend_rss_kib %ld\n", frames,
                 closeSent ? target : -1, warmup, warmupKib, endKib);
    std::fclose(out);
  }

  ~Counter() {
    if (target != 0) writeReport();
  }
};

Counter counter;

}  // namespace

extern "C" void SDL_RenderPresent(SDL_Renderer* renderer) {
  using Present = void (*)(SDL_Renderer*);
  static const auto real = reinterpret_cast<Present>(dlsym(RTLD_NEXT, "SDL_RenderPresent"));
  real(renderer);
  Counter& c = counter;
  if (c.target == 0) return;
  ++c.frames;
  if (c.frames == c.warmup) c.warmupKib = residentKib();
  if (c.frames == c.target && !c.closeSent) {
    c.endKib = residentKib();
    c.closeSent = askToClose(renderer);
    // Written now as well: a game that then hangs or crashes still leaves its figures.
    c.writeReport();
  }
}
