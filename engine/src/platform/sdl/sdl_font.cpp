// SDL2 backend: fonts found through fontconfig, opened with SDL2_ttf and sized
// to the cell height asked for.
#include <SDL.h>
#include <SDL_ttf.h>
#include <fontconfig/fontconfig.h>

#include <string>

#include "platform/platform.h"
#include "platform/sdl/sdl_backend.h"

namespace veltra {
namespace sdl {
namespace {

using platform::Font;

// Past this, a few glyphs already take seconds and hundreds of megabytes to
// rasterise, and no screen shows more than a letter or two of them.
constexpr int kMaxFontHeight = 1024;

// SDL_ttf sizes a font at ptsize * dpi / 72 pixels: at 9 dpi a ptsize counts
// eighths of a pixel, fine enough to give every cell height.
int cellAt(TTF_Font* font, int eighths) {
  return TTF_SetFontSizeDPI(font, eighths, 9, 9) == 0 ? TTF_FontHeight(font) : -1;
}

// The largest size whose cell (ascent + descent) fits `height` pixels, or a
// whole-pixel size with the same cell, which hints better.
bool sizeToCell(TTF_Font* font, int height) {
  int fits = 8, tooBig = 32 * height + 32;  // from one pixel up
  if (cellAt(font, fits) < 0) return false;
  while (tooBig - fits > 1) {
    const int mid = fits + (tooBig - fits) / 2;
    (cellAt(font, mid) <= height ? fits : tooBig) = mid;
  }
  const int whole = fits / 8 * 8;
  if (whole > 0 && cellAt(font, whole) == cellAt(font, fits)) fits = whole;
  return cellAt(font, fits) > 0;
}

}  // namespace

FontFile findFontFile(const char* face, int weight) {
  FontFile result;
  if (!face || !FcInit()) return result;
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(face));
  FcPatternAddInteger(pattern, FC_WEIGHT, weight >= 600 ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  // The best match first; bitmap faces cannot be sized, so skip to a scalable one.
  FcResult status = FcResultNoMatch;
  FcFontSet* fonts = FcFontSort(nullptr, pattern, FcFalse, nullptr, &status);
  for (int i = 0; fonts && i < fonts->nfont && result.path.empty(); ++i) {
    FcPattern* font = fonts->fonts[i];
    FcBool scalable = FcFalse;
    FcChar8* file = nullptr;
    if (FcPatternGetBool(font, FC_SCALABLE, 0, &scalable) != FcResultMatch || !scalable) continue;
    if (FcPatternGetString(font, FC_FILE, 0, &file) != FcResultMatch) continue;
    result.path = reinterpret_cast<const char*>(file);
    FcPatternGetInteger(font, FC_INDEX, 0, &result.index);
    int found = FC_WEIGHT_REGULAR;
    FcPatternGetInteger(font, FC_WEIGHT, 0, &found);
    result.bold = found >= FC_WEIGHT_BOLD;
  }
  if (fonts) FcFontSetDestroy(fonts);
  FcPatternDestroy(pattern);
  return result;
}

int cellHeight(const platform::Font* font) { return font ? font->cellHeight : 0; }
void releaseFont(platform::Font* font) {
  if (!font || !font->font) return;
  clearTextCache();  // its lines are keyed by the font's address
  TTF_CloseFont(font->font);
  font->font = nullptr;
}

}  // namespace sdl

namespace platform {

Font* createFont(int height, int weight, const char* face, Why& why) {
  if (height < 1 || height > sdl::kMaxFontHeight) {
    why = "height " + std::to_string(height) + " is outside 1 to " + std::to_string(sdl::kMaxFontHeight);
    return nullptr;
  }
  if (!TTF_WasInit() && TTF_Init() != 0) {
    why = TTF_GetError();
    return nullptr;
  }
  const sdl::FontFile file = sdl::findFontFile(face, weight);
  if (file.path.empty()) {
    why = "no font found";
    return nullptr;
  }
  TTF_Font* font = TTF_OpenFontIndex(file.path.c_str(), height, file.index);
  if (!font || !sdl::sizeToCell(font, height)) {
    why = "cannot open \"" + file.path + "\": " + TTF_GetError();
    if (font) TTF_CloseFont(font);
    return nullptr;
  }
  if (weight >= 600 && !file.bold) TTF_SetFontStyle(font, TTF_STYLE_BOLD);
  return sdl::keep(Font{font, TTF_FontHeight(font)});
}

}  // namespace platform
}  // namespace veltra
