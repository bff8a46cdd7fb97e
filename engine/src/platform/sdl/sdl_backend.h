// State the SDL2 backend's files share, and the few seams its tests use.
#pragma once

#include <SDL.h>
#include <SDL_ttf.h>

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace veltra {
namespace platform {

struct Font {
  TTF_Font* font;
  int cellHeight;  // ascent + descent, in pixels
};

}  // namespace platform

namespace sdl {

// The renderer, or null before a device exists or once its window is gone.
// Every drawing call goes through this, so nothing touches a dead renderer.
SDL_Renderer* liveRenderer();
bool softwareRenderer();  // the live renderer draws in software
// Names the live renderer (0 when there is none); textures remember the one
// they were made on and are skipped by any other.
std::uint32_t rendererId();

// Platform objects live until the process ends: the backend owns them all
// here, where they stay reachable whatever becomes of the tables.
template <typename T>
T* keep(T object) {
  static auto* all = new std::deque<T>;  // never torn down: SDL may be gone at exit
  all->push_back(object);
  return &all->back();
}

// For the fuzz targets, which create millions: the engine itself never
// releases. The object stays behind empty and draws nothing.
void releaseTexture(platform::Texture* texture);
void releaseFont(platform::Font* font);

// Decodes an image file no larger than the given size, or returns null and
// says why. No allocation for a size beyond the limits is made; what the
// decoders print goes into `why`.
SDL_Surface* decodeImage(const char* file, int maxWidth, int maxHeight, std::string& why);

// Whether the GIF read from `in` is well formed up to the end of its first
// image, which is of at most the given size; if not, says why. Reads on from
// where `in` stands.
bool gifIsSound(SDL_RWops* in, int maxWidth, int maxHeight, std::string& why);

struct FontFile {
  std::string path;  // empty when no font was found
  int index = 0;     // the face within a collection file
  bool bold = false;
};
// The scalable font fontconfig picks for `face`, falling back to the nearest
// installed one (a sans face for a missing sans face such as Verdana).
// Weights of 600 and more ask for bold.
FontFile findFontFile(const char* face, int weight);
// The cell (ascent + descent) in pixels of a font createFont made.
int cellHeight(const platform::Font* font);
// Draws one line of text (no newline) with its top-left corner at (left, top),
// rendering only what reaches the outW x outH target.
void drawLine(const platform::Font& font, std::string_view line, long long left, long long top, int outW, int outH,
              std::uint32_t argb);

struct TextCacheStats {
  std::size_t entries = 0;
  std::size_t bytes = 0;
  std::uint64_t rasterised = 0;  // texts rendered to a texture since start
};
TextCacheStats textCacheStats();
void clearTextCache();  // drops every cached texture (on a renderer change, and for tests)

// The cache's bounds: beyond either, the least recently drawn text goes first.
constexpr std::size_t kTextCacheEntries = 256;
constexpr std::size_t kTextCacheBytes = 16u << 20;

}  // namespace sdl
}  // namespace veltra
