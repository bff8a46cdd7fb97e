// The platform contract. The device front end (device.cpp) checks every call
// once, prints the messages every backend shares, and hands the one backend
// chosen at build time what it knows; the backend builds what it needs from
// that. Each backend defines every function below: the library links with no
// undefined symbols, so one that is missing fails there.
//
// The front end calls a function that takes an object only with a non-null
// object, and the creators, drawing and read-back only while hasDevice().
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "veltra/veltra.h"

namespace veltra {
namespace platform {

struct Texture;  // an image on the device, at its own size
struct Sprite;   // what draws textures (a sprite batch where the backend has one)
struct Font;     // draws lines of text

// Why something failed, in the backend's own words, for the front end's line.
using Why = std::string;

struct Size {
  int width = 0, height = 0;
};

// A copy of the back buffer: 0xAARRGGBB, row by row from the top, alpha 255.
struct Image {
  int width = 0, height = 0;
  std::vector<std::uint32_t> argb;
  std::uint32_t at(int x, int y) const { return argb[static_cast<std::size_t>(y) * width + x]; }
};

// Everything a sprite draw knows, in front-end terms.
struct SpriteDraw {
  Texture* texture;
  float x, y;                                       // where the pivot lands, window pixels
  float pivotX, pivotY;                             // source texels from the source's top-left corner
  float radians;                                    // clockwise on screen, converted by the helpers' rounding rule
  float scaleX, scaleY;                             // about the pivot; (1, 1) for Draw
  int sourceX, sourceY, sourceWidth, sourceHeight;  // within the texture; the whole of it for Draw
  std::uint32_t argb;                               // colour and alpha modulation; 0xFFFFFFFF for Draw
  bool wholeTexture;                                // the source is the whole texture
};

// Device. createDevice gets a non-null window and replaces (and leaks) any
// earlier device.
bool createDevice(vLWindow window, Why& why);
bool hasDevice();
void clear(std::uint32_t argb);  // the whole target; depth to 1 and stencil to 0 where there are such
void present();
// False when a texture was made on an earlier device, which must not draw it.
bool madeOnThisDevice(const Texture* texture);
bool readBackBuffer(Image& out, Why& why);
bool saveScreenshot(const char* pngFile, Why& why);

// Creators: null, and why, when they fail.
Texture* loadTexture(const char* file, Why& why);
Sprite* createSprite(Why& why);
Font* createFont(int height, int weight, const char* face, Why& why);
Size textureSize(const Texture* texture);

void drawSprite(Sprite* sprite, const SpriteDraw& draw);
// One or more lines (split at '\n') from (left, top), unclipped; `count`
// bytes of `text`, which need not end in a zero.
void drawText(Font* font, const char* text, int count, int left, int top, std::uint32_t argb);
// The extent drawText gives the same text: the widest line, and the lines' height.
Size measureText(Font* font, const char* text, int count);

// Fixed-function state: lighting, the depth test, scene brackets and texture
// stages. Only a backend with such a pipeline has a use for them; the others
// build fixed_function_none.cpp, which says so once.
void setLighting(std::uint32_t value);
void setDepthTest(bool enable);
void beginScene();
void endScene();
void bindTexture(Texture* texture);  // null binds none

}  // namespace platform
}  // namespace veltra

// Sound output, the contract's last part: the core mixes, the backend only
// moves the blocks to the system's output.
#include "platform/audio_output.h"
