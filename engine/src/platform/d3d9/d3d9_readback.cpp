// Copies of the back buffer: the render target cannot be locked, so it is
// first copied into a system-memory surface of the same size and format.
#include <d3d9.h>
#include <d3dx9.h>

#include <cstring>

#include "platform/d3d9/d3d9_backend.h"
#include "platform/platform.h"

namespace veltra {
namespace platform {
namespace {

// A system-memory copy of the back buffer, or null with the reason in `why`.
IDirect3DSurface9* copyBackBuffer(D3DSURFACE_DESC& desc, Why& why) {
  IDirect3DDevice9* device = d3d9::device();
  IDirect3DSurface9* target = nullptr;
  IDirect3DSurface9* copy = nullptr;
  HRESULT hr = device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &target);
  if (SUCCEEDED(hr)) hr = target->GetDesc(&desc);
  if (SUCCEEDED(hr))
    hr = device->CreateOffscreenPlainSurface(desc.Width, desc.Height, desc.Format, D3DPOOL_SYSTEMMEM, &copy, nullptr);
  if (SUCCEEDED(hr)) hr = device->GetRenderTargetData(target, copy);
  if (target) target->Release();
  if (FAILED(hr)) {
    if (copy) copy->Release();
    why = "the back buffer cannot be read: " + d3d9::reason(hr);
    return nullptr;
  }
  return copy;
}

}  // namespace

bool readBackBuffer(Image& out, Why& why) {
  D3DSURFACE_DESC desc;
  IDirect3DSurface9* copy = copyBackBuffer(desc, why);
  if (!copy) return false;
  const bool x8 = desc.Format == D3DFMT_X8R8G8B8;
  D3DLOCKED_RECT locked;
  if (!x8 && desc.Format != D3DFMT_A8R8G8B8) {
    why = "the back buffer's format " + std::to_string(static_cast<int>(desc.Format)) + " is not 32-bit RGB";
  } else if (FAILED(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
    why = "the copy of the back buffer does not lock";
  } else {
    out.width = static_cast<int>(desc.Width);
    out.height = static_cast<int>(desc.Height);
    out.argb.resize(static_cast<std::size_t>(out.width) * out.height);
    for (int y = 0; y < out.height; ++y) {
      const auto* row = static_cast<const unsigned char*>(locked.pBits) + static_cast<std::ptrdiff_t>(y) * locked.Pitch;
      std::memcpy(&out.argb[static_cast<std::size_t>(y) * out.width], row, sizeof(std::uint32_t) * out.width);
    }
    copy->UnlockRect();
    copy->Release();
    for (std::uint32_t& p : out.argb) p |= 0xFF000000u;  // the target's alpha is whatever blending left there
    return true;
  }
  copy->Release();
  return false;
}

bool saveScreenshot(const char* pngFile, Why& why) {
  D3DSURFACE_DESC desc;
  IDirect3DSurface9* copy = copyBackBuffer(desc, why);
  if (!copy) return false;
  const HRESULT hr = D3DXSaveSurfaceToFileA(pngFile, D3DXIFF_PNG, copy, nullptr, nullptr);
  copy->Release();
  if (FAILED(hr)) why = "cannot write it: " + d3d9::reason(hr);
  return SUCCEEDED(hr);
}

}  // namespace platform
}  // namespace veltra
