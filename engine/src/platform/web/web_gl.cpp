// Web backend: the one WebGL program that draws every sprite and line of
// text as a textured quad, and texture uploads.
#include <GLES2/gl2.h>

#include "platform/web/web_backend.h"

namespace veltra {
namespace web {
namespace {

// Window pixels to clip space, y downward; each texel times the colour.
constexpr const char* kVertexShader = R"(
attribute vec2 position;
attribute vec2 texel;
uniform vec2 toClip;
varying vec2 uv;
void main() {
  gl_Position = vec4(position.x * toClip.x - 1.0, 1.0 - position.y * toClip.y, 0.0, 1.0);
  uv = texel;
})";

// High precision where the GPU has it: medium precision misses texels of
// textures wider than about a thousand.
constexpr const char* kFragmentShader = R"(
#ifdef GL_FRAGMENT_PRECISION_HIGH
precision highp float;
#else
precision mediump float;
#endif
uniform sampler2D image;
uniform vec4 colour;
varying vec2 uv;
void main() { gl_FragColor = texture2D(image, uv) * colour; })";

struct Program {
  GLuint id = 0, buffer = 0;
  GLint toClip = -1, colour = -1;
  int width = 0, height = 0;  // the target toClip was set for
};

Program gProgram;

GLuint compile(GLenum type, const char* source) {
  const GLuint shader = glCreateShader(type);
  glShaderSource(shader, 1, &source, nullptr);
  glCompileShader(shader);
  return shader;
}

}  // namespace

bool makeProgram() {
  Program& p = gProgram;
  p = Program{};
  p.id = glCreateProgram();
  glAttachShader(p.id, compile(GL_VERTEX_SHADER, kVertexShader));
  glAttachShader(p.id, compile(GL_FRAGMENT_SHADER, kFragmentShader));
  glBindAttribLocation(p.id, 0, "position");
  glBindAttribLocation(p.id, 1, "texel");
  glLinkProgram(p.id);
  GLint linked = GL_FALSE;
  glGetProgramiv(p.id, GL_LINK_STATUS, &linked);
  if (linked != GL_TRUE) return false;
  glUseProgram(p.id);
  p.toClip = glGetUniformLocation(p.id, "toClip");
  p.colour = glGetUniformLocation(p.id, "colour");
  glUniform1i(glGetUniformLocation(p.id, "image"), 0);
  glGenBuffers(1, &p.buffer);
  glBindBuffer(GL_ARRAY_BUFFER, p.buffer);
  glEnableVertexAttribArray(0);
  glEnableVertexAttribArray(1);
  glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 4 * sizeof(float), nullptr);
  glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, 4 * sizeof(float), reinterpret_cast<void*>(2 * sizeof(float)));
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  return true;
}

void setTarget(int width, int height) {
  Program& p = gProgram;
  glViewport(0, 0, width, height);
  if (width == p.width && height == p.height) return;
  p.width = width, p.height = height;
  glUniform2f(p.toClip, 2.0f / static_cast<float>(width), 2.0f / static_cast<float>(height));
}

void drawQuad(GLuint texture, const Quad& q, std::uint32_t argb) {
  const float vertices[16] = {q.x[0], q.y[0], q.u0, q.v0, q.x[1], q.y[1], q.u1, q.v0,
                              q.x[2], q.y[2], q.u0, q.v1, q.x[3], q.y[3], q.u1, q.v1};
  glBindTexture(GL_TEXTURE_2D, texture);
  glUniform4f(gProgram.colour, static_cast<float>(argb >> 16 & 0xFF) / 255.0f,
              static_cast<float>(argb >> 8 & 0xFF) / 255.0f, static_cast<float>(argb & 0xFF) / 255.0f,
              static_cast<float>(argb >> 24) / 255.0f);
  glBufferData(GL_ARRAY_BUFFER, sizeof vertices, vertices, GL_STREAM_DRAW);
  glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
}

GLuint newTexture() {
  GLuint texture = 0;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  // The nearest texel: exact at any placement, and a frame of a sprite sheet
  // never takes on its neighbour's edge. WebGL 1 samples textures of any size
  // only clamped and without mipmaps.
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  return texture;
}

GLuint uploadTexture(const std::uint8_t* rgba, int width, int height) {
  const GLuint texture = newTexture();
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
  if (glGetError() == GL_NO_ERROR) return texture;
  glDeleteTextures(1, &texture);
  return 0;
}

}  // namespace web
}  // namespace veltra
