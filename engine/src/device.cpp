// vLDevice and vLMaterial on top of the platform contract. Every handle is
// checked at each use; the backend takes care of empty slots and of calls made
// before a device exists.
#include "device.h"

#include <climits>
#include <cstdio>
#include <cstring>

#include "helpers.h"
#include "matrix.h"
#include "platform/platform.h"
#include "tables.h"
#include "veltra/veltra.h"

namespace veltra {
namespace {
constexpr std::size_t kMaxTextBytes = 64 * 1024;
}

int truncToInt(float value) {
  // NaN goes where x86's truncation puts it, far off any target.
  if (!(value == value)) return INT_MIN;
  if (value >= 2147483648.0f) return INT_MAX;
  if (value <= -2147483648.0f) return INT_MIN;
  return static_cast<int>(value);
}

TextRect textRect(float x, float y) { return TextRect{truncToInt(x), truncToInt(y), 500, 500}; }

namespace {
// The creation rule of the three interface tables: the slot exists, empty,
// before the platform fills it, and the handle is given out either way.
template <typename T, typename Make>
int createInto(Table<T*>& table, Make make) {
  const int handle = table.append(nullptr);
  table.at(handle) = make();
  return handle;
}
}  // namespace

}  // namespace veltra

using namespace veltra;

bool vLDevice::CreateDevice(vLWindow window) { return platform::createDevice(window); }

void vLDevice::Lighting(uint32_t value) { platform::setLighting(value); }

void vLDevice::ZAxis(bool enable) { platform::setDepthTest(enable); }

void vLDevice::Clear(int red, int green, int blue) { platform::clear(packColour(red, green, blue)); }

void vLDevice::BeginRender() { platform::beginScene(); }

void vLDevice::EndRender() { platform::endScene(); }

void vLDevice::DrawAll() { platform::present(); }

void vLDevice::SetTexture(vLMaterial material) { platform::bindTexture(textureTable().at(material.texture)); }

void vLDevice::Draw(vLMaterial material, vLVector2 position, vLVector2 pivot, float angle, int, int, int) {
  // The sprite is checked before each of its four uses, the texture just before the draw.
  auto& sprites = spriteTable();
  platform::spriteBegin(sprites.at(material.sprite));
  const Matrix transform = spriteTransform(position.x, position.y, pivot.x, pivot.y, degToRad(angle));
  platform::spriteSetTransform(sprites.at(material.sprite), transform);
  platform::Texture* texture = textureTable().at(material.texture);
  platform::spriteDraw(sprites.at(material.sprite), texture, 0xFFFFFFFFu);
  platform::spriteEnd(sprites.at(material.sprite));
}

void vLDevice::DrawT(int font, const char* text, vLVector2 position, int red, int green, int blue) {
  const TextRect rect = textRect(position.x, position.y);
  // Never read past 64 KiB: a caller's buffer without its terminating zero
  // would otherwise be read until something faults.
  const std::size_t length = text ? strnlen(text, kMaxTextBytes) : 0;
  if (length == kMaxTextBytes) {
    static bool said = false;
    if (!said) std::fprintf(stderr, "veltra: text with no end in its first %zu bytes is drawn cut there\n", length);
    said = true;
  }
  const int count = static_cast<int>(length);
  platform::drawText(fontTable().at(font), text, count, rect.left, rect.top, rect.right, rect.bottom,
                     packColour(red, green, blue));
}

bool vLDevice::Screenshot(const char* pngFile) { return platform::saveScreenshot(pngFile); }

void vLMaterial::LoadTexture(const char* file) {
  texture = createInto(textureTable(), [&] { return platform::loadTexture(file); });
}

void vLMaterial::CreateSprite() {
  sprite = createInto(spriteTable(), [] { return platform::createSprite(); });
}

void vLMaterial::CreateFontA(int height, bool flag, const char* face) {
  font = createInto(fontTable(), [&] { return platform::createFont(height, flag ? 1 : 0, face); });
}
