#include "x11_session.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "png_writer.h"

namespace brickfall {
namespace e2e {

namespace {

Display* dpy(void* d) { return static_cast<Display*>(d); }

// Any X error (a window gone between two calls) is not fatal to a driver.
int ignoreErrors(Display*, XErrorEvent*) { return 0; }

bool windowTitled(Display* d, ::Window w, const std::string& title) {
  char* name = nullptr;
  if (!XFetchName(d, w, &name) || !name) return false;
  const bool same = title == name;
  XFree(name);
  return same;
}

// Depth first, since a reparenting window manager puts frames in between.
::Window search(Display* d, ::Window under, const std::string& title) {
  if (windowTitled(d, under, title)) return under;
  ::Window root, parent, *children = nullptr;
  unsigned int n = 0;
  if (!XQueryTree(d, under, &root, &parent, &children, &n)) return 0;
  ::Window found = 0;
  for (unsigned int i = 0; i < n && !found; ++i) found = search(d, children[i], title);
  if (children) XFree(children);
  return found;
}

}  // namespace

XSession::XSession(const std::string& display) {
  XSetErrorHandler(ignoreErrors);
  display_ = XOpenDisplay(display.empty() ? nullptr : display.c_str());
}

XSession::~XSession() {
  if (display_) XCloseDisplay(dpy(display_));
}

bool XSession::findWindow(const std::string& title, double seconds, WindowInfo& out) {
  Display* d = dpy(display_);
  const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  ::Window w = 0;
  XWindowAttributes attributes;
  // Found, and mapped, so that its pixels can be read.
  while (!(w = search(d, DefaultRootWindow(d), title)) || !XGetWindowAttributes(d, w, &attributes) ||
         attributes.map_state != IsViewable) {
    if (std::chrono::steady_clock::now() > until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  out.id = w;
  ::Window child;
  XTranslateCoordinates(d, w, DefaultRootWindow(d), 0, 0, &out.x, &out.y, &child);
  out.width = attributes.width;
  out.height = attributes.height;
  XClassHint hint;
  if (XGetClassHint(d, w, &hint)) {
    out.className = hint.res_name ? hint.res_name : "";
    out.classClass = hint.res_class ? hint.res_class : "";
    if (hint.res_name) XFree(hint.res_name);
    if (hint.res_class) XFree(hint.res_class);
  }
  XSizeHints size;
  long supplied = 0;
  out.fixedSize = XGetWMNormalHints(d, w, &size, &supplied) && (size.flags & PMinSize) && (size.flags & PMaxSize) &&
                  size.min_width == size.max_width && size.min_height == size.max_height;
  return true;
}

bool XSession::windowExists(unsigned long window) {
  XWindowAttributes attributes;
  return XGetWindowAttributes(dpy(display_), window, &attributes) != 0;
}

void XSession::watchTopLevelMaps() {
  Display* d = dpy(display_);
  XSelectInput(d, DefaultRootWindow(d), SubstructureNotifyMask);
  XSync(d, False);
}

int XSession::topLevelMaps() {
  Display* d = dpy(display_);
  XSync(d, False);
  XEvent e;
  while (XCheckTypedWindowEvent(d, DefaultRootWindow(d), MapNotify, &e)) ++maps_;
  return maps_;
}

void XSession::movePointer(int screenX, int screenY) {
  Display* d = dpy(display_);
  XWarpPointer(d, None, DefaultRootWindow(d), 0, 0, 0, 0, screenX, screenY);
  XSync(d, False);
}

Pixels XSession::grab(unsigned long window) {
  Display* d = dpy(display_);
  Pixels p;
  XWindowAttributes a;
  if (!XGetWindowAttributes(d, window, &a)) return p;
  XImage* image = XGetImage(d, window, 0, 0, a.width, a.height, AllPlanes, ZPixmap);
  if (!image) return p;
  p.width = a.width;
  p.height = a.height;
  p.rgb.resize(static_cast<std::size_t>(p.width) * p.height * 3);
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) {
      const unsigned long v = XGetPixel(image, x, y);
      std::uint8_t* out = &p.rgb[(static_cast<std::size_t>(y) * p.width + x) * 3];
      out[0] = static_cast<std::uint8_t>((v & image->red_mask) >> __builtin_ctzl(image->red_mask));
      out[1] = static_cast<std::uint8_t>((v & image->green_mask) >> __builtin_ctzl(image->green_mask));
      out[2] = static_cast<std::uint8_t>((v & image->blue_mask) >> __builtin_ctzl(image->blue_mask));
    }
  XDestroyImage(image);
  return p;
}

bool XSession::askToClose(unsigned long window) {
  Display* d = dpy(display_);
  XEvent e{};
  e.xclient.type = ClientMessage;
  e.xclient.window = window;
  e.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
  e.xclient.format = 32;
  e.xclient.data.l[0] = static_cast<long>(XInternAtom(d, "WM_DELETE_WINDOW", False));
  e.xclient.data.l[1] = CurrentTime;
  const bool sent = XSendEvent(d, window, False, NoEventMask, &e) != 0;
  XSync(d, False);
  return sent;
}

bool savePng(const Pixels& pixels, const std::string& path) {
  Image image(pixels.width, pixels.height);
  for (int y = 0; y < pixels.height; ++y)
    for (int x = 0; x < pixels.width; ++x) {
      std::uint8_t* out = image.at(x, y);
      std::copy(pixels.at(x, y), pixels.at(x, y) + 3, out);
      out[3] = 255;
    }
  return writePng(path, image);
}

Xvfb::Xvfb() {
  int fds[2];
  if (pipe(fds) != 0) return;
  pid_ = fork();
  if (pid_ == 0) {
    prctl(PR_SET_PDEATHSIG, SIGTERM);  // nor a server
    close(fds[0]);
    const std::string fd = std::to_string(fds[1]);
    execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
           static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  // Xvfb writes the display number it took once it accepts clients.
  char buffer[16] = {};
  std::size_t got = 0;
  while (got < sizeof buffer - 1) {
    pollfd ready{fds[0], POLLIN, 0};
    if (poll(&ready, 1, 20000) <= 0) break;  // a server that never comes up fails the test, not hangs it
    const ssize_t n = read(fds[0], buffer + got, sizeof buffer - 1 - got);
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
    if (buffer[got - 1] == '\n') break;
  }
  close(fds[0]);
  if (got > 1 && buffer[got - 1] == '\n') display_ = ":" + std::string(buffer, got - 1);
}

Xvfb::~Xvfb() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  waitpid(pid_, nullptr, 0);
}

}  // namespace e2e
}  // namespace brickfall
