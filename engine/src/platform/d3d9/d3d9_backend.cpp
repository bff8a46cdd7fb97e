// The platform contract on Direct3D 9 and D3DX 9. The platform objects are
// handed out as the contract's opaque types and never released, like the
// device: the engine keeps them until the process ends.
#include "platform/d3d9/d3d9_backend.h"

#include <d3d9.h>
#include <d3dx9.h>
#include <windows.h>

#include <cstdio>

#include "matrix.h"
#include "platform/platform.h"

namespace veltra {
namespace platform {
namespace {

IDirect3D9* gDirect3D = nullptr;
IDirect3DDevice9* gDevice = nullptr;
HWND gWindow = nullptr;

// The contract's types stand for the interfaces themselves, so a table slot
// holds exactly what D3DX wrote.
IDirect3DTexture9* d3d(Texture* t) { return reinterpret_cast<IDirect3DTexture9*>(t); }
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

// A texture belongs to the device it was made on; Direct3D aborts the process
// when another device draws with it (a second CreateDevice leaves the old
// textures in their table). Such a texture is skipped, with one line the first time.
bool madeOn(IDirect3DTexture9* texture, IDirect3DDevice9* device) {
  IDirect3DDevice9* owner = nullptr;
  texture->GetDevice(&owner);
  if (owner) owner->Release();
  if (owner == device) return true;
  static bool told = false;
  if (!told) std::fputs("veltra: a texture made on an earlier device is not drawn: load it again\n", stderr);
  told = true;
  return false;
}

void report(const char* what, const char* name, HRESULT hr) {
  if (name)
    std::fprintf(stderr, "veltra: cannot %s \"%s\": %s (0x%08lX)\n", what, name, describe(hr),
                 static_cast<unsigned long>(hr));
  else
    std::fprintf(stderr, "veltra: cannot %s: %s (0x%08lX)\n", what, describe(hr), static_cast<unsigned long>(hr));
}

}  // namespace

namespace d3d9 {
IDirect3DDevice9* device() { return gDevice; }
}  // namespace d3d9

bool createDevice(vLWindow window) {
  if (!window) {
    std::fputs("veltra: cannot create the device: no window given\n", stderr);
    return false;
  }
  gDirect3D = Direct3DCreate9(D3D_SDK_VERSION);
  if (!gDirect3D) {
    std::fputs("veltra: cannot create the device: Direct3D 9 is not available\n", stderr);
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
    report("create the device", nullptr, hr);
    return false;
  }
  gWindow = window;
  return true;
}

bool hasDevice() { return gDevice != nullptr; }

void setLighting(std::uint32_t value) {
  if (gDevice) gDevice->SetRenderState(D3DRS_LIGHTING, value);
}

void setDepthTest(bool enable) {
  if (gDevice) gDevice->SetRenderState(D3DRS_ZENABLE, enable ? 1 : 0);
}

void clear(std::uint32_t argb) {
  if (gDevice) gDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, argb, 1.0f, 0);
}

void beginScene() {
  if (gDevice) gDevice->BeginScene();
}

void endScene() {
  if (gDevice) gDevice->EndScene();
}

void present() {
  // A game keeps drawing until its quit message arrives, after its window is
  // gone; presenting to a destroyed window crashes the swap chain under Wine.
  if (gDevice && IsWindow(gWindow)) gDevice->Present(nullptr, nullptr, nullptr, nullptr);
}

void bindTexture(Texture* texture) {
  if (!gDevice) return;
  IDirect3DTexture9* t = d3d(texture);
  gDevice->SetTexture(0, t && madeOn(t, gDevice) ? t : nullptr);
}

Texture* loadTexture(const char* file) {
  if (!file) {
    std::fputs("veltra: cannot load texture: no file name given\n", stderr);
    return nullptr;
  }
  if (!gDevice) {
    std::fprintf(stderr, "veltra: cannot load texture \"%s\": no device yet\n", file);
    return nullptr;
  }
  // The plain loader rounds sizes up to powers of two and stretches the image
  // (40 x 20 becomes 64 x 32), which moves every sprite off its pivot.
  IDirect3DTexture9* texture = nullptr;
  const HRESULT hr =
      D3DXCreateTextureFromFileExA(gDevice, file, D3DX_DEFAULT_NONPOW2, D3DX_DEFAULT_NONPOW2, 1, 0, D3DFMT_UNKNOWN,
                                   D3DPOOL_MANAGED, D3DX_FILTER_NONE, D3DX_FILTER_NONE, 0, nullptr, nullptr, &texture);
  if (FAILED(hr)) {
    if (GetFileAttributesA(file) == INVALID_FILE_ATTRIBUTES)
      std::fprintf(stderr, "veltra: cannot load texture \"%s\": No such file or directory\n", file);
    else
      report("load texture", file, hr);
    return nullptr;
  }
  return reinterpret_cast<Texture*>(texture);
}

Sprite* createSprite() {
  if (!gDevice) {
    std::fputs("veltra: cannot create a sprite: no device yet\n", stderr);
    return nullptr;
  }
  ID3DXSprite* sprite = nullptr;
  const HRESULT hr = D3DXCreateSprite(gDevice, &sprite);
  if (FAILED(hr)) {
    report("create a sprite", nullptr, hr);
    return nullptr;
  }
  return reinterpret_cast<Sprite*>(sprite);
}

Font* createFont(int height, int weight, const char* face) {
  if (!face) {
    std::fputs("veltra: cannot create font: no face name given\n", stderr);
    return nullptr;
  }
  if (!gDevice) {
    std::fprintf(stderr, "veltra: cannot create font \"%s\": no device yet\n", face);
    return nullptr;
  }
  ID3DXFont* font = nullptr;
  const HRESULT hr = D3DXCreateFontA(gDevice, height, 0, static_cast<UINT>(weight), 0, FALSE, DEFAULT_CHARSET,
                                     OUT_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face, &font);
  if (FAILED(hr)) {
    report("create font", face, hr);
    return nullptr;
  }
  return reinterpret_cast<Font*>(font);
}

void spriteBegin(Sprite* sprite) {
  if (sprite) d3d(sprite)->Begin(D3DXSPRITE_ALPHABLEND);
}

void spriteSetTransform(Sprite* sprite, const Matrix& transform) {
  if (!sprite) return;
  // Our Matrix has D3DXMATRIX's layout: row-major, row vectors on the left.
  D3DXMATRIX m;
  static_assert(sizeof m == sizeof transform.m, "matrix layouts differ");
  for (int i = 0; i < 16; ++i) m.m[i / 4][i % 4] = transform.m[i];
  d3d(sprite)->SetTransform(&m);
}

void spriteDraw(Sprite* sprite, Texture* texture, std::uint32_t argb) {
  // Without a texture there is nothing to draw: D3DX would only refuse the call.
  if (!sprite || !texture) return;
  IDirect3DDevice9* device = nullptr;
  d3d(sprite)->GetDevice(&device);
  if (device) device->Release();
  if (madeOn(d3d(texture), device)) d3d(sprite)->Draw(d3d(texture), nullptr, nullptr, nullptr, argb);
}

void spriteEnd(Sprite* sprite) {
  if (sprite) d3d(sprite)->End();
}

void drawText(Font* font, const char* text, int count, int left, int top, int right, int bottom, std::uint32_t argb) {
  if (!font || !text) return;
  RECT rect = {left, top, right, bottom};
  d3d(font)->DrawTextA(nullptr, text, count, &rect, DT_NOCLIP, argb);
}

}  // namespace platform
}  // namespace veltra
