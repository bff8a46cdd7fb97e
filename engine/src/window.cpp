// vLOpenWindow and its kin on top of the platform contract: the argument
// checks and their lines, one window at a time, and the frame clock.
#include <chrono>
#include <cstring>
#include <string>

#include "input.h"
#include "log.h"
#include "platform/platform.h"
#include "veltra/veltra.h"

namespace veltra {
namespace {

// A caller's caption without its terminating zero is read no further.
constexpr std::size_t kMaxTitleBytes = 4096;

struct Window {
  vLWindow native = nullptr;
  bool ended = false;  // closed by the user or its display: polls say false until vLCloseWindow
  bool clockStarted = false;
  std::chrono::steady_clock::time_point opened, lastPoll;
  bool polled = false;
  float frameTime = 0;
};

Window gWindow;

}  // namespace
}  // namespace veltra

using veltra::gWindow;
namespace message = veltra::message;
namespace platform = veltra::platform;

vLWindow vLOpenWindow(const char* title, int width, int height) {
  if (!title) {
    veltra::warn("cannot open a window: %s", message::kNoTitle);
    return nullptr;
  }
  const std::string caption(title, strnlen(title, veltra::kMaxTitleBytes));
  const char* name = caption.c_str();
  if (gWindow.native) {
    veltra::warn("cannot open window \"%s\": %s", name, message::kWindowOpen);
    return nullptr;
  }
  if (width < 1 || height < 1 || width > platform::kMaxWindowSide || height > platform::kMaxWindowSide) {
    veltra::warn("cannot open window \"%s\": %d x %d is not a size from 1 x 1 to %d x %d", name, width, height,
                 platform::kMaxWindowSide, platform::kMaxWindowSide);
    return nullptr;
  }
  platform::Why why;
  const vLWindow native = platform::openWindow(name, width, height, why);
  if (!native) {
    veltra::warn("cannot open window \"%s\": %s", name, why.c_str());
    return nullptr;
  }
  veltra::input::reset();
  gWindow = veltra::Window{};
  gWindow.native = native;
  gWindow.clockStarted = true;
  gWindow.opened = std::chrono::steady_clock::now();
  return native;
}

bool vLPollEvents() {
  if (!gWindow.native) {
    veltra::warnOnce("poll-without-window", "%s", message::kNoWindowOpen);
    return false;
  }
  if (gWindow.ended) return false;
  veltra::input::startPoll();
  const platform::WindowStatus status = platform::pollWindow(gWindow.native);
  const auto now = std::chrono::steady_clock::now();
  gWindow.frameTime =
      gWindow.polled ? static_cast<float>(std::chrono::duration<double>(now - gWindow.lastPoll).count()) : 0.0f;
  gWindow.lastPoll = now;
  gWindow.polled = true;
  if (status == platform::WindowStatus::kDisplayGone) veltra::warn("%s", message::kDisplayGone);
  gWindow.ended = status != platform::WindowStatus::kOpen;
  return !gWindow.ended;
}

void vLCloseWindow() {
  if (!gWindow.native) return;
  platform::closeWindow(gWindow.native);
  gWindow.native = nullptr;
  gWindow.ended = false;
  gWindow.polled = false;
  gWindow.frameTime = 0;
  veltra::input::reset();
}

float vLFrameTime() { return gWindow.frameTime; }

double vLTime() {
  if (!gWindow.clockStarted) return 0;
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - gWindow.opened).count();
}
