// The platform contract on Direct3D 9 and D3DX 9. The platform objects are
// handed out as the contract's opaque types and never released, like the
// device: the engine keeps them until the process ends.
#include "platform/d3d9/d3d9_backend.h"

#include <d3d9.h>
#include <d3dx9.h>
#include <windows.h>

#include <cstdio>

#include "helpers.h"
#include "log.h"
#include "platform/platform.h"

namespace veltra {
namespace platform {
namespace {

IDirect3D9* gDirect3D = nullptr;
IDirect3DDevice9* gDevice = nullptr;
HWND gWindow = nullptr;

// The contract's types stand for the interfaces themselves, so a table slot
// holds exactly what D3DX wrote.
IDirect3DTexture9* d3d(const Texture* t) { return reinterpret_cast<IDirect3DTexture9*>(const_cast<Texture*>(t)); }
ID3DXSprite* d3d(Sprite* s) { return reinterpret_cast<ID3DXSprite*>(s); }
ID3DXFont* d3d(Font* f) { return reinterpret_cast<ID3DXFont*>(f); }

const char* describe(HRESULT hr) {
  switch (hr) {
    case D3DERR_INVALIDCALL:
      return "invalid call";
    case D3DERR_NOTAVAILABLE:
      return "not available";
    case D3DERR_OUTOFVIDEOMEMORY:
      return "out of video memory";
    case E_OUTOFMEMORY:
      return "out of memory";
    case D3DXERR_INVALIDDATA:
      return "not an image this platform can read";
    default:
      return "failed";
  }
}

// Direct3D aborts the process when one device draws with another's objects,
// and a second CreateDevice leaves the old ones in their tables.
template <typename Object>
bool onThisDevice(Object* object) {
  IDirect3DDevice9* owner = nullptr;
  object->GetDevice(&owner);
  if (owner) owner->Release();
  return owner == gDevice;
}

// The text rectangle's far edges, whatever the position; nothing is clipped
// against them.
constexpr LONG kTextFarEdge = 500;

}  // namespace

namespace d3d9 {
IDirect3DDevice9* device() { return gDevice; }

std::string reason(HRESULT hr) {
  char code[16];
  std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(hr));
  return std::string(describe(hr)) + " (" + code + ")";
}
}  // namespace d3d9

bool createDevice(vLWindow window, Why& why) {
  gDirect3D = Direct3DCreate9(D3D_SDK_VERSION);
  if (!gDirect3D) {
    why = "Direct3D 9 is not available";
    return false;
  }
  D3DPRESENT_PARAMETERS params = {};
  params.SwapEffect = D3DSWAPEFFECT_DISCARD;
  params.Windowed = TRUE;
  params.EnableAutoDepthStencil = TRUE;
  params.AutoDepthStencilFormat = D3DFMT_D16;
  const HRESULT hr = gDirect3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window,
                                             D3DCREATE_SOFTWARE_VERTEXPROCESSING, &params, &gDevice);
  if (FAILED(hr)) {
    why = d3d9::reason(hr);
    return false;
  }
  gWindow = window;
  return true;
}

bool hasDevice() { return gDevice != nullptr; }

void setLighting(std::uint32_t value) { gDevice->SetRenderState(D3DRS_LIGHTING, value); }

void setDepthTest(bool enable) { gDevice->SetRenderState(D3DRS_ZENABLE, enable ? 1 : 0); }

void clear(std::uint32_t argb) { gDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, argb, 1.0f, 0); }

void beginScene() { gDevice->BeginScene(); }

void endScene() { gDevice->EndScene(); }

void present() {
  // A game keeps drawing until its quit message arrives, after its window is
  // gone; presenting to a destroyed window crashes the swap chain under Wine.
  if (IsWindow(gWindow)) gDevice->Present(nullptr, nullptr, nullptr, nullptr);
}

void bindTexture(Texture* texture) { gDevice->SetTexture(0, d3d(texture)); }

bool madeOnThisDevice(const Texture* texture) { return onThisDevice(d3d(texture)); }

Texture* loadTexture(const char* file, Why& why) {
  // The plain loader rounds sizes up to powers of two and stretches the image
  // (40 x 20 becomes 64 x 32), which moves every sprite off its pivot.
  IDirect3DTexture9* texture = nullptr;
  const HRESULT hr =
      D3DXCreateTextureFromFileExA(gDevice, file, D3DX_DEFAULT_NONPOW2, D3DX_DEFAULT_NONPOW2, 1, 0, D3DFMT_UNKNOWN,
                                   D3DPOOL_MANAGED, D3DX_FILTER_NONE, D3DX_FILTER_NONE, 0, nullptr, nullptr, &texture);
  if (FAILED(hr)) why = d3d9::reason(hr);
  return reinterpret_cast<Texture*>(texture);
}

Size textureSize(const Texture* texture) {
  D3DSURFACE_DESC desc;
  if (FAILED(d3d(texture)->GetLevelDesc(0, &desc))) return {};
  return Size{static_cast<int>(desc.Width), static_cast<int>(desc.Height)};
}

Sprite* createSprite(Why& why) {
  ID3DXSprite* sprite = nullptr;
  const HRESULT hr = D3DXCreateSprite(gDevice, &sprite);
  if (FAILED(hr)) why = d3d9::reason(hr);
  return reinterpret_cast<Sprite*>(sprite);
}

Font* createFont(int height, int weight, const char* face, Why& why) {
  ID3DXFont* font = nullptr;
  const HRESULT hr = D3DXCreateFontA(gDevice, height, 0, static_cast<UINT>(weight), 0, FALSE, DEFAULT_CHARSET,
                                     OUT_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face, &font);
  if (FAILED(hr)) why = d3d9::reason(hr);
  return reinterpret_cast<Font*>(font);
}

void drawSprite(Sprite* sprite, const SpriteDraw& d) {
  ID3DXSprite* s = d3d(sprite);
  if (!onThisDevice(s)) {
    warnOnce("stale-sprite", "a sprite made on an earlier device draws nothing: create it again");
    return;
  }
  const D3DXVECTOR2 centre(d.pivotX, d.pivotY);
  const D3DXVECTOR2 scaling(d.scaleX, d.scaleY);
  const D3DXVECTOR2 translation(sp(static_cast<double>(d.x) - d.pivotX), sp(static_cast<double>(d.y) - d.pivotY));
  // Scaled about the pivot; unscaled, no scaling centre at all.
  const bool scaled = d.scaleX != 1.0f || d.scaleY != 1.0f;
  D3DXMATRIX transform;
  D3DXMatrixTransformation2D(&transform, scaled ? &centre : nullptr, 0.0f, &scaling, &centre, d.radians, &translation);
  const RECT source = {d.sourceX, d.sourceY, d.sourceX + d.sourceWidth, d.sourceY + d.sourceHeight};
  s->Begin(D3DXSPRITE_ALPHABLEND);
  s->SetTransform(&transform);
  s->Draw(d3d(d.texture), d.wholeTexture ? nullptr : &source, nullptr, nullptr, d.argb);
  s->End();
}

void drawText(Font* font, const char* text, int count, int left, int top, std::uint32_t argb) {
  RECT rect = {left, top, kTextFarEdge, kTextFarEdge};
  d3d(font)->DrawTextA(nullptr, text, count, &rect, DT_NOCLIP, argb);
}

Size measureText(Font* font, const char* text, int count) {
  RECT rect = {0, 0, 0, 0};
  d3d(font)->DrawTextA(nullptr, text, count, &rect, DT_CALCRECT | DT_NOCLIP, 0xFFFFFFFFu);
  return Size{static_cast<int>(rect.right - rect.left), static_cast<int>(rect.bottom - rect.top)};
}

}  // namespace platform
}  // namespace veltra
