// Drives a window on $DISPLAY from scripts, as a user or window manager would:
//   window_driver screenshot TITLE FILE.png   saves the window's pixels
//   window_driver close TITLE                 sends WM_DELETE_WINDOW, like a close button
#include <cstdio>
#include <cstring>

#include "x11_session.h"

int main(int argc, char** argv) {
  const bool shot = argc == 4 && std::strcmp(argv[1], "screenshot") == 0;
  const bool close = argc == 3 && std::strcmp(argv[1], "close") == 0;
  if (!shot && !close) {
    std::fprintf(stderr, "usage: window_driver screenshot TITLE FILE.png | window_driver close TITLE\n");
    return 2;
  }
  brickfall::e2e::XSession x("");
  brickfall::e2e::WindowInfo window;
  if (!x.ok() || !x.findWindow(argv[2], 5, window)) {
    std::fprintf(stderr, "window_driver: no window \"%s\" on the display\n", argv[2]);
    return 1;
  }
  if (shot && !brickfall::e2e::savePng(x.grab(window.id), argv[3])) {
    std::fprintf(stderr, "window_driver: cannot write \"%s\"\n", argv[3]);
    return 1;
  }
  if (close && !x.askToClose(window.id)) {
    std::fprintf(stderr, "window_driver: cannot reach window \"%s\"\n", argv[2]);
    return 1;
  }
  return 0;
}
