// Checks Brickfall's window from inside the Wine session, as another Windows
// program sees it, then asks it to close with WM_CLOSE. Exit status 0 when
// the window is as the game promises.
#include <windows.h>

#include <cstdio>

#include "brickfall_names.h"

namespace {

int failures = 0;

void expect(bool ok, const char* what, long got, long want) {
  if (ok) return;
  std::fprintf(stderr, "window_probe: %s is %ld (0x%lX), expected %ld (0x%lX)\n", what, got, got, want, want);
  ++failures;
}

}  // namespace

int main() {
  HWND window = nullptr;
  for (int i = 0; i < 100 && !window; ++i) {
    window = FindWindowA(brickfall::kWindowClass, brickfall::kCaption);
    if (!window) Sleep(100);
  }
  if (!window) {
    std::fprintf(stderr, "window_probe: no window of class \"%s\" named \"%s\"\n", brickfall::kWindowClass,
                 brickfall::kCaption);
    return 1;
  }
  const DWORD style = static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
  const DWORD kFixed = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  expect((style & 0x00FF0000) == kFixed, "style (caption, menu, minimise box only)", style & 0x00FF0000, kFixed);
  expect((style & WS_VISIBLE) != 0, "visibility", style & WS_VISIBLE, WS_VISIBLE);
  expect(GetClassLongA(window, GCL_STYLE) == CS_CLASSDC, "class style", GetClassLongA(window, GCL_STYLE), CS_CLASSDC);
  RECT outer;
  GetWindowRect(window, &outer);
  expect(outer.left == 100 && outer.top == 100, "left edge", outer.left, 100);
  expect(outer.right - outer.left == 640, "outer width", outer.right - outer.left, 640);
  expect(outer.bottom - outer.top == 480, "outer height", outer.bottom - outer.top, 480);
  if (!PostMessageA(window, WM_CLOSE, 0, 0)) {
    std::fprintf(stderr, "window_probe: cannot post WM_CLOSE (error %lu)\n", GetLastError());
    return 1;
  }
  return failures ? 1 : 0;
}
