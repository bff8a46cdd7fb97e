// Kept apart from game.cpp so the frame loop's tests need no device.
#include "game.h"

namespace brickfall {

bool DeviceEngine::createDevice(vLWindow window) { return device_.CreateDevice(window); }
void DeviceEngine::lighting(std::uint32_t value) { device_.Lighting(value); }
void DeviceEngine::zAxis(bool enable) { device_.ZAxis(enable); }
void DeviceEngine::createFont(vLMaterial& material, int height, bool flag, const char* face) {
  material.CreateFontA(height, flag, face);
}
void DeviceEngine::loadTexture(vLMaterial& material, const char* file) { material.LoadTexture(file); }
void DeviceEngine::createSprite(vLMaterial& material) { material.CreateSprite(); }
void DeviceEngine::clear(int red, int green, int blue) { device_.Clear(red, green, blue); }
void DeviceEngine::beginRender() { device_.BeginRender(); }
void DeviceEngine::endRender() { device_.EndRender(); }
void DeviceEngine::drawAll() { device_.DrawAll(); }
void DeviceEngine::setTexture(vLMaterial material) { device_.SetTexture(material); }
void DeviceEngine::draw(vLMaterial material, vLVector2 position, vLVector2 pivot, float angle, int a, int b, int c) {
  device_.Draw(material, position, pivot, angle, a, b, c);
}
void DeviceEngine::drawText(int font, const char* text, vLVector2 position, int red, int green, int blue) {
  device_.DrawT(font, text, position, red, green, blue);
}

}  // namespace brickfall
