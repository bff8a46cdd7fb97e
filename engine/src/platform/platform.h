// The narrow graphics contract between the backend-free device front end and
// one backend (SDL2 on Linux, Direct3D 9 on Windows), chosen at build time.
// Every function tolerates null objects: it then does nothing, or returns
// false or null, so a failed creation never leads to a call through null.
#pragma once

#include <cstdint>

#include "veltra/veltra.h"

namespace veltra {
struct Matrix;

namespace platform {

struct Texture;  // an image on the device, at its own size
struct Sprite;   // draws textures through a 2D transform, alpha-blended
struct Font;     // draws lines of text

// Creates the one device on `window`; replaces (and leaks) any earlier one.
bool createDevice(vLWindow window);
bool hasDevice();

void setLighting(std::uint32_t value);
void setDepthTest(bool enable);
void clear(std::uint32_t argb);  // also clears depth to 1 and stencil to 0
void beginScene();
void endScene();
void present();
void bindTexture(Texture* texture);  // null binds none

// Creators return null and print one "veltra: " line when they fail.
Texture* loadTexture(const char* file);
Sprite* createSprite();
Font* createFont(int height, int weight, const char* face);

void spriteBegin(Sprite* sprite);
void spriteSetTransform(Sprite* sprite, const Matrix& transform);
void spriteDraw(Sprite* sprite, Texture* texture, std::uint32_t argb);
void spriteEnd(Sprite* sprite);

// Left-top aligned at (left, top), no clipping; `count` bytes of `text`.
void drawText(Font* font, const char* text, int count, int left, int top, int right, int bottom, std::uint32_t argb);

// Writes the back buffer as it stands to a PNG file.
bool saveScreenshot(const char* pngFile);

}  // namespace platform
}  // namespace veltra
