// The platform contract with no graphics behind it. No device can be made, so
// the front end never calls the rest: every creation hands out its handle
// with an empty slot and one line, and every draw does nothing.
#include "platform/platform.h"

namespace veltra {
namespace platform {
namespace {
constexpr const char* kNoGraphics = "this Veltra is built without graphics (VELTRA_BACKEND=none)";
}

bool createDevice(vLWindow, Why& why) {
  why = kNoGraphics;
  return false;
}

bool hasDevice() { return false; }
void clear(std::uint32_t) {}
void present() {}
bool madeOnThisDevice(const Texture*) { return false; }

bool readBackBuffer(Image&, Why& why) {
  why = kNoGraphics;
  return false;
}

bool saveScreenshot(const char*, Why& why) {
  why = kNoGraphics;
  return false;
}

Texture* loadTexture(const char*, Why& why) {
  why = kNoGraphics;
  return nullptr;
}

Sprite* createSprite(Why& why) {
  why = kNoGraphics;
  return nullptr;
}

Font* createFont(int, int, const char*, Why& why) {
  why = kNoGraphics;
  return nullptr;
}

Size textureSize(const Texture*) { return {}; }
void drawSprite(Sprite*, const SpriteDraw&) {}
void drawText(Font*, const char*, int, int, int, std::uint32_t) {}
Size measureText(Font*, const char*, int) { return {}; }

}  // namespace platform
}  // namespace veltra
