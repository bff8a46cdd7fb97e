// The Direct3D 9 backend's headless window: a hidden popup (so the client
// area is the whole window), on the Wine session's Xvfb display.
#include <d3dx9.h>
#include <windows.h>

#include "headless.h"
#include "platform/d3d9/d3d9_backend.h"

namespace headless {

// D3DX sprites filter linearly, and under Wine the sample may land off the
// texel centre, up to the edge between two texels on a 150-wide texture.
const double kNeighbourShare = 0.6;
const int kCapitalHeight16 = 8;
const int kMeasureSlack = 3;

vLWindow openWindow(int width, int height) {
  static const char* kClass = [] {
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "veltra_test";
    RegisterClassExA(&wc);
    return "veltra_test";
  }();
  return CreateWindowExA(0, kClass, "pixels", WS_POPUP, 0, 0, width, height, nullptr, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

void closeWindow(vLWindow window) { DestroyWindow(window); }

bool readPng(const std::string& path, veltra::platform::Image& out) {
  D3DXIMAGE_INFO info;
  if (FAILED(D3DXGetImageInfoFromFileA(path.c_str(), &info)) || info.ImageFileFormat != D3DXIFF_PNG) return false;
  IDirect3DSurface9* loaded = nullptr;
  if (FAILED(veltra::platform::d3d9::device()->CreateOffscreenPlainSurface(info.Width, info.Height, D3DFMT_A8R8G8B8,
                                                                           D3DPOOL_SYSTEMMEM, &loaded, nullptr)))
    return false;
  D3DLOCKED_RECT locked;
  bool ok = SUCCEEDED(D3DXLoadSurfaceFromFileA(loaded, nullptr, nullptr, path.c_str(), nullptr, D3DX_FILTER_NONE, 0,
                                               nullptr)) &&
            SUCCEEDED(loaded->LockRect(&locked, nullptr, D3DLOCK_READONLY));
  if (ok) {
    out.width = static_cast<int>(info.Width), out.height = static_cast<int>(info.Height);
    out.argb.resize(static_cast<std::size_t>(out.width) * out.height);
    for (int y = 0; y < out.height; ++y)
      for (int x = 0; x < out.width; ++x)
        out.argb[static_cast<std::size_t>(y) * out.width + x] =
            reinterpret_cast<const std::uint32_t*>(static_cast<const char*>(locked.pBits) + y * locked.Pitch)[x];
    loaded->UnlockRect();
  }
  loaded->Release();
  return ok;
}

}  // namespace headless
