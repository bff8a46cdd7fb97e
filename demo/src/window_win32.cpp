// The window layer on Win32: the game's window class, one fixed-size window, one
// message per frame taken without waiting, and the cursor in client pixels.
#include <windows.h>

#include <cstdio>

#include "brickfall_names.h"
#include "window.h"

namespace brickfall {

namespace {

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // The frame loop ends on the quit message this posts.
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcA(window, message, wParam, lParam);
}

// Filled at load time. The size is that of this build's record: 48 is the
// 32-bit size, and a 64-bit RegisterClassExA rejects it.
WNDCLASSEXA gClass = {sizeof(WNDCLASSEXA),
                      CS_CLASSDC,
                      windowProcedure,
                      0,
                      0,
                      GetModuleHandleA(nullptr),
                      nullptr,
                      nullptr,
                      nullptr,
                      nullptr,
                      kWindowClass,
                      nullptr};

MSG gMessage = {};
POINT gCursor = {};

// WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX: fixed size, no maximise box.
constexpr DWORD kStyle = 0xCA0000;

HWND hwnd(void* native) { return static_cast<HWND>(native); }

}  // namespace

bool Window::open() {
  if (!RegisterClassExA(&gClass)) {
    std::fprintf(stderr, "brickfall: cannot register the window class \"%s\" (error %lu)\n", kWindowClass,
                 GetLastError());
    return false;
  }
  // 640 x 480 is the outer size: the client area is smaller by the frame.
  HWND window = CreateWindowExA(0, kWindowClass, kCaption, kStyle, 100, 100, 640, 480, nullptr, nullptr,
                                gClass.hInstance, nullptr);
  if (!window) {
    std::fprintf(stderr, "brickfall: cannot open the window (error %lu)\n", GetLastError());
    UnregisterClassA(kWindowClass, gClass.hInstance);
    return false;
  }
  native_ = window;
  ShowWindow(window, SW_SHOWDEFAULT);
  UpdateWindow(window);
  return true;
}

vLWindow Window::handle() const { return hwnd(native_); }

WindowEvents Window::takeOneEvent() {
  WindowEvents taken;
  if (PeekMessageA(&gMessage, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&gMessage);
    DispatchMessageA(&gMessage);
    taken.tookEvent = true;
  }
  taken.quit = gMessage.message == WM_QUIT;
  return taken;
}

int Window::cursorX() const {
  GetCursorPos(&gCursor);
  ScreenToClient(hwnd(native_), &gCursor);
  return gCursor.x;
}

void Window::close() {
  // The window may be gone already: closing it is what ended the loop.
  if (native_) DestroyWindow(hwnd(native_));
  native_ = nullptr;
  UnregisterClassA(kWindowClass, gClass.hInstance);
}

}  // namespace brickfall
