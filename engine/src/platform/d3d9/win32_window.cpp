// The Direct3D 9 backend's window: a Win32 window of the engine's own class,
// fixed in size, its messages told to the front end's input state.
#include <windows.h>

#include <string>

#include "input.h"
#include "platform/platform.h"
#include "platform/virtual_keys.h"

namespace veltra {
namespace platform {
namespace {

constexpr const wchar_t* kClassName = L"VeltraWindow";
// A caption, a system menu and a minimise box: no sizing border, no maximise box.
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

bool gCloseAsked = false;
// The outer size asked for: Windows would otherwise hold a window to about
// the screen's size while it is made.
SIZE gOuter = {};

// The key of a key message. Modifiers tell their side apart by the scan
// code (Shift) or the extended-key bit (Control, Alt).
int keyOf(WPARAM vk, LPARAM info) {
  bool right = (info & (1 << 24)) != 0;
  if (vk == VK_SHIFT) right = MapVirtualKeyW((info >> 16) & 0xFF, MAPVK_VSC_TO_VK_EX) == VK_RSHIFT;
  return keyOfVirtualKey(static_cast<unsigned>(vk), right);
}

void button(HWND window, int which, bool down) {
  input::buttonChanged(which, down);
  // Held, the button's release reaches the window wherever the pointer goes.
  if (down) SetCapture(window);
  if (!down && !(GetKeyState(VK_LBUTTON) < 0 || GetKeyState(VK_RBUTTON) < 0 || GetKeyState(VK_MBUTTON) < 0))
    ReleaseCapture();
}

LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:  // the window stays until vLCloseWindow: the device still draws into it
    case WM_DESTROY:
      gCloseAsked = true;
      return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYUP:
      input::keyChanged(keyOf(wParam, lParam), message == WM_KEYDOWN || message == WM_SYSKEYDOWN);
      break;  // on to DefWindowProc, which turns Alt+F4 into a close
    case WM_SYSCOMMAND:
      // Alt alone would open the system menu's keyboard mode and stall the game.
      if ((wParam & 0xFFF0) == SC_KEYMENU) return 0;
      break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
      button(window, vLMouseLeft, message == WM_LBUTTONDOWN);
      return 0;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
      button(window, vLMouseRight, message == WM_RBUTTONDOWN);
      return 0;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
      button(window, vLMouseMiddle, message == WM_MBUTTONDOWN);
      return 0;
    case WM_KILLFOCUS:  // the releases go elsewhere now
      input::releaseKeys();
      break;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lParam) != window) input::releaseButtons();
      break;
    case WM_GETMINMAXINFO: {
      auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
      if (gOuter.cx > limits->ptMaxTrackSize.x) limits->ptMaxTrackSize.x = gOuter.cx;
      if (gOuter.cy > limits->ptMaxTrackSize.y) limits->ptMaxTrackSize.y = gOuter.cy;
      return 0;
    }
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

std::wstring wide(const char* utf8) {
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
  std::wstring out(n > 0 ? n : 1, L'\0');
  if (n > 0) MultiByteToWideChar(CP_UTF8, 0, utf8, -1, &out[0], n);
  return out;
}

std::string lastError(const char* what) {
  return std::string(what) + " (error " + std::to_string(GetLastError()) + ")";
}

}  // namespace

vLWindow openWindow(const char* title, int width, int height, Why& why) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = procedure;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.lpszClassName = kClassName;
  if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    why = lastError("cannot register the window class");
    return nullptr;
  }
  RECT outer = {0, 0, width, height};
  AdjustWindowRectEx(&outer, kStyle, FALSE, 0);
  gOuter = {outer.right - outer.left, outer.bottom - outer.top};
  RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &screen, 0);
  const int x = screen.left + (screen.right - screen.left - gOuter.cx) / 2;
  const int y = screen.top + (screen.bottom - screen.top - gOuter.cy) / 2;
  gCloseAsked = false;
  HWND window =
      CreateWindowExW(0, kClassName, wide(title).c_str(), kStyle, x > screen.left ? x : screen.left,
                      y > screen.top ? y : screen.top, gOuter.cx, gOuter.cy, nullptr, nullptr, instance, nullptr);
  if (!window) {
    why = lastError("cannot create the window");
    return nullptr;
  }
  RECT client;
  GetClientRect(window, &client);
  if (client.right != width || client.bottom != height) {
    why = "the platform made its client area " + std::to_string(client.right) + " x " + std::to_string(client.bottom);
    DestroyWindow(window);
    return nullptr;
  }
  ShowWindow(window, SW_SHOW);
  UpdateWindow(window);
  SetForegroundWindow(window);
  gCloseAsked = false;
  return window;
}

WindowStatus pollWindow(vLWindow window) {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) gCloseAsked = true;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  POINT cursor;
  if (GetCursorPos(&cursor) && ScreenToClient(window, &cursor))
    input::pointerAt(static_cast<float>(cursor.x), static_cast<float>(cursor.y));
  return gCloseAsked ? WindowStatus::kCloseAsked : WindowStatus::kOpen;
}

void closeWindow(vLWindow window) {
  DestroyWindow(window);
  UnregisterClassW(kClassName, GetModuleHandleW(nullptr));
}

}  // namespace platform
}  // namespace veltra
