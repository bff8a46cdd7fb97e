// State the web backend's files share: one WebGL 1 context on the caller's
// canvas, and the one program that draws every textured quad.
#pragma once

#include <GLES2/gl2.h>

#include <cstdint>
#include <deque>

#include "platform/platform.h"

namespace veltra {
namespace web {

// The live context's canvas size in pixels, or 0 x 0 when there is no device.
platform::Size canvasSize();
// Names the live context (0 when there is none); textures remember the one
// they were made on and are skipped by any other.
std::uint32_t contextId();
// The largest texture side the context takes.
int maxTextureSide();

// Makes the quad program on the current context and sets the state every
// draw shares; false when the context cannot.
bool makeProgram();
// Draws into the whole width x height target from now on.
void setTarget(int width, int height);

// A quad's four corners in window pixels (top-left, top-right, bottom-left,
// bottom-right of the source) and the texture coordinates they take.
struct Quad {
  float x[4], y[4];
  float u0, v0, u1, v1;
};
// Draws `texture` through the quad, each texel multiplied by the colour and
// alpha-blended over the target.
void drawQuad(GLuint texture, const Quad& quad, std::uint32_t argb);

// A new texture bound to unit 0, filtered and clamped, with no image yet.
GLuint newTexture();
// A texture for an RGBA image of width x height, rows from the top; 0 when
// the context cannot make one.
GLuint uploadTexture(const std::uint8_t* rgba, int width, int height);

GLuint textureId(const platform::Texture* texture);

// Platform objects live until the process ends, as the engine's rule says.
template <typename T>
T* keep(T object) {
  static auto* all = new std::deque<T>;
  all->push_back(object);
  return &all->back();
}

void forgetText();  // drops every cached line (the context they live in is being left)

}  // namespace web
}  // namespace veltra
