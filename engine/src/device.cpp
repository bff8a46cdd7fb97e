// vLDevice and vLMaterial on top of the platform contract: every handle is
// checked where it is used, calls without a device do nothing, and the lines
// every backend can print are printed here.
#include "device.h"

#include <climits>
#include <cstring>

#include "files.h"
#include "helpers.h"
#include "log.h"
#include "platform/platform.h"
#include "tables.h"
#include "veltra/veltra.h"

namespace veltra {
namespace {
constexpr std::size_t kMaxTextBytes = 64 * 1024;
constexpr std::uint32_t kOpaqueWhite = 0xFFFFFFFFu;

// "cannot load texture "x": why", or without a name.
void cannot(const char* what, const char* name, const char* why) {
  if (name)
    warn("cannot %s \"%s\": %s", what, name, why);
  else
    warn("cannot %s: %s", what, why);
}

// The creation rule of the three interface tables: the slot exists, empty,
// before the platform fills it, and the handle is given out either way. A
// creation needs a device; `make` says why when it fails.
template <typename T, typename Make>
int createInto(Table<T*>& table, const char* what, const char* name, Make make) {
  const int handle = table.append(nullptr);
  if (!platform::hasDevice()) {
    cannot(what, name, message::kNoDevice);
    return handle;
  }
  platform::Why why;
  table.at(handle) = make(why);
  if (!table.at(handle)) cannot(what, name, why.c_str());
  return handle;
}

}  // namespace

platform::Texture* drawableTexture(platform::Texture* texture) {
  if (!texture || !platform::hasDevice()) return nullptr;
  if (platform::madeOnThisDevice(texture)) return texture;
  warnOnce("stale-texture", "%s", message::kStaleTexture);
  return nullptr;
}

std::size_t textLength(const char* text) {
  const std::size_t length = text ? strnlen(text, kMaxTextBytes) : 0;
  if (length == kMaxTextBytes)
    warnOnce("endless-text", "text with no end in its first %zu bytes is drawn cut there", length);
  return length;
}

int truncToInt(float value) {
  // NaN goes where x86's truncation puts it, far off any target.
  if (!(value == value)) return INT_MIN;
  if (value >= 2147483648.0f) return INT_MAX;
  if (value <= -2147483648.0f) return INT_MIN;
  return static_cast<int>(value);
}

}  // namespace veltra

using namespace veltra;

bool vLDevice::CreateDevice(vLWindow window) {
  platform::Why why = message::kNoWindow;
  if (window && platform::createDevice(window, why)) return true;
  cannot("create the device", nullptr, why.c_str());
  return false;
}

void vLDevice::Lighting(uint32_t value) {
  if (platform::hasDevice()) platform::setLighting(value);
}

void vLDevice::ZAxis(bool enable) {
  if (platform::hasDevice()) platform::setDepthTest(enable);
}

void vLDevice::Clear(int red, int green, int blue) {
  if (platform::hasDevice()) platform::clear(packColour(red, green, blue));
}

void vLDevice::BeginRender() {
  if (platform::hasDevice()) platform::beginScene();
}

void vLDevice::EndRender() {
  if (platform::hasDevice()) platform::endScene();
}

void vLDevice::DrawAll() {
  if (platform::hasDevice()) platform::present();
}

void vLDevice::SetTexture(vLMaterial material) {
  platform::Texture* texture = textureTable().at(material.texture, "SetTexture");
  if (platform::hasDevice()) platform::bindTexture(drawableTexture(texture));
}

void vLDevice::Draw(vLMaterial material, vLVector2 position, vLVector2 pivot, float angle, int, int, int) {
  platform::Sprite* sprite = spriteTable().at(material.sprite, "Draw");
  platform::Texture* slot = textureTable().at(material.texture, "Draw");
  platform::Texture* texture = sprite ? drawableTexture(slot) : nullptr;
  if (!texture) return;
  const platform::Size size = platform::textureSize(texture);
  const platform::SpriteDraw draw{texture, position.x, position.y, pivot.x,    pivot.y,     degToRad(angle), 1,
                                  1,       0,          0,          size.width, size.height, kOpaqueWhite,    true};
  platform::drawSprite(sprite, draw);
}

void vLDevice::DrawT(int font, const char* text, vLVector2 position, int red, int green, int blue) {
  const std::size_t length = textLength(text);
  platform::Font* f = fontTable().at(font, "DrawT");
  if (!f || !text || !platform::hasDevice()) return;
  platform::drawText(f, text, static_cast<int>(length), truncToInt(position.x), truncToInt(position.y),
                     packColour(red, green, blue));
}

vLVector2 vLDevice::MeasureT(int font, const char* text) {
  const std::size_t length = textLength(text);
  platform::Font* f = fontTable().at(font, "MeasureT");
  if (!f || length == 0 || !platform::hasDevice()) return vLVector2{0, 0, 0};
  const platform::Size size = platform::measureText(f, text, static_cast<int>(length));
  return vLVector2{static_cast<float>(size.width), static_cast<float>(size.height), 0};
}

bool vLDevice::Screenshot(const char* pngFile) {
  platform::Why why = message::kNoDevice;
  if (!pngFile)
    cannot("save a screenshot", nullptr, message::kNoFileName);
  else if (platform::hasDevice() && platform::saveScreenshot(pngFile, why))
    return true;
  else
    cannot("save screenshot", pngFile, why.c_str());
  return false;
}

void vLMaterial::LoadTexture(const char* file) {
  if (!file) {
    texture = textureTable().append(nullptr);
    cannot("load texture", nullptr, message::kNoFileName);
    return;
  }
  texture = createInto(textureTable(), "load texture", file, [&](platform::Why& why) -> platform::Texture* {
    why = unreadableFile(file);
    return why.empty() ? platform::loadTexture(file, why) : nullptr;
  });
}

void vLMaterial::CreateSprite() {
  sprite = createInto(spriteTable(), "create a sprite", nullptr,
                      [](platform::Why& why) { return platform::createSprite(why); });
}

void vLMaterial::CreateFontA(int height, bool flag, const char* face) {
  if (!face) {
    font = fontTable().append(nullptr);
    cannot("create font", nullptr, message::kNoFaceName);
    return;
  }
  font = createInto(fontTable(), "create font", face,
                    [&](platform::Why& why) { return platform::createFont(height, flag ? 1 : 0, face, why); });
}

int vLMaterial::TextureWidth() const {
  const platform::Texture* t = textureTable().at(texture, "TextureWidth");
  return t ? platform::textureSize(t).width : 0;
}

int vLMaterial::TextureHeight() const {
  const platform::Texture* t = textureTable().at(texture, "TextureHeight");
  return t ? platform::textureSize(t).height : 0;
}
