// Drives a program's window on an X server as a user and a window manager
// would: find it, move the pointer, read its pixels, ask it to close.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

namespace brickfall {
namespace e2e {

struct Pixels {
  int width = 0, height = 0;
  std::vector<std::uint8_t> rgb;  // row by row, 3 bytes a pixel
  const std::uint8_t* at(int x, int y) const { return &rgb[(static_cast<std::size_t>(y) * width + x) * 3]; }
};

struct WindowInfo {
  unsigned long id = 0;
  int x = 0, y = 0, width = 0, height = 0;  // the client area on the screen
  std::string className, classClass;        // WM_CLASS
  bool fixedSize = false;                   // the size hints pin min = max
};

// One connection to an X server.
class XSession {
 public:
  explicit XSession(const std::string& display);  // "" for $DISPLAY
  ~XSession();
  XSession(const XSession&) = delete;
  XSession& operator=(const XSession&) = delete;
  bool ok() const { return display_ != nullptr; }

  // Waits up to `seconds` for a top-level window titled `title`.
  bool findWindow(const std::string& title, double seconds, WindowInfo& out);
  bool windowExists(unsigned long window);
  // From now on, counts the windows mapped at the top level.
  void watchTopLevelMaps();
  int topLevelMaps();
  void movePointer(int screenX, int screenY);
  Pixels grab(unsigned long window);
  // Sends WM_DELETE_WINDOW, as a window manager's close button does.
  bool askToClose(unsigned long window);

 private:
  void* display_ = nullptr;
  int maps_ = 0;
};

// A private Xvfb on a display number it picks itself; killed on destruction.
class Xvfb {
 public:
  Xvfb();
  ~Xvfb();
  Xvfb(const Xvfb&) = delete;
  Xvfb& operator=(const Xvfb&) = delete;
  const std::string& display() const { return display_; }  // e.g. ":3", or "" if it did not start

 private:
  pid_t pid_ = -1;
  std::string display_;
};

// Writes a grab as an opaque PNG.
bool savePng(const Pixels& pixels, const std::string& path);

}  // namespace e2e
}  // namespace brickfall
