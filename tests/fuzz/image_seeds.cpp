#include <SDL.h>
#include <SDL_image.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "image_formats.h"
#include "seeds.h"

namespace veltra::fuzz {
namespace {

std::uint8_t extension(const char* name) {
  for (int i = 0; i < kImageExtensionCount; ++i)
    if (std::strcmp(kImageExtensions[i], name) == 0) return static_cast<std::uint8_t>(i);
  return 0;
}

SDL_Surface* picture(int w, int h) {
  SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_ARGB8888);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      static_cast<Uint32*>(s->pixels)[y * s->pitch / 4 + x] =
          0x80000000u | (x * 17 & 0xFF) << 16 | (y * 29 & 0xFF) << 8;
  return s;
}

// What SDL writes into memory through `save`.
template <typename Save>
Bytes encoded(Save save) {
  Bytes out;
  const std::string path = (std::filesystem::temp_directory_path() / "veltra-seed.img").string();
  if (save(path.c_str()) != 0) return out;
  SDL_RWops* in = SDL_RWFromFile(path.c_str(), "rb");
  if (!in) return out;
  out.resize(static_cast<std::size_t>(SDL_RWsize(in)));
  SDL_RWread(in, out.data(), 1, out.size());
  SDL_RWclose(in);
  std::remove(path.c_str());
  return out;
}

void put32be(Bytes& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
}
void put32le(Bytes& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// A PNG whose header claims w x h, its checksum fixed so that only the data is wrong.
Bytes pngClaiming(Bytes png, std::uint32_t w, std::uint32_t h) {
  put32be(png, 16, w);
  put32be(png, 20, h);
  put32be(png, 29, SDL_crc32(0, png.data() + 12, 17));
  return png;
}

Bytes tagged(const char* ext, Bytes file) {
  file.insert(file.begin(), extension(ext));
  return file;
}

}  // namespace

std::vector<Bytes> imageSeeds() {
  SDL_Surface* small = picture(14, 14);
  const Bytes png = encoded([&](const char* p) { return IMG_SavePNG(small, p); });
  const Bytes bmp = encoded([&](const char* p) { return SDL_SaveBMP(small, p); });
  const Bytes jpg = encoded([&](const char* p) { return IMG_SaveJPG(small, p, 80); });
  SDL_FreeSurface(small);

  std::vector<Bytes> seeds;
  seeds.push_back(tagged("png", png));
  seeds.push_back(tagged("png", Bytes(png.begin(), png.begin() + static_cast<long>(png.size() / 2))));
  Bytes corrupt = png;
  for (std::size_t i = 41; i < corrupt.size(); i += 5) corrupt[i] ^= 0xA5;
  seeds.push_back(tagged("png", corrupt));
  seeds.push_back(tagged("png", pngClaiming(png, 100000, 1)));
  seeds.push_back(tagged("png", pngClaiming(png, 60000, 60000)));
  seeds.push_back(tagged("png", pngClaiming(png, 0, 14)));

  seeds.push_back(tagged("bmp", bmp));
  Bytes wideBmp = bmp, emptyBmp = bmp, upsideBmp = bmp;
  put32le(wideBmp, 18, 100000);
  put32le(emptyBmp, 18, 0);
  put32le(upsideBmp, 22, static_cast<std::uint32_t>(-14));
  for (Bytes* b : {&wideBmp, &emptyBmp, &upsideBmp}) seeds.push_back(tagged("bmp", *b));

  seeds.push_back(tagged("jpg", jpg));
  seeds.push_back(tagged("jpg", Bytes(jpg.begin(), jpg.begin() + static_cast<long>(jpg.size() * 2 / 3))));

  // A 1 x 1 GIF, and one whose screen claims 65535 x 65535.
  const Bytes gif = {'G', 'I',  'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0, 0xFF, 0, 0, 0,   0,
                     0,   0x2C, 0,   0,   0,   0,   1, 0, 1, 0, 0,    2, 2, 0x44, 1, 0, 0x3B};
  seeds.push_back(tagged("gif", gif));
  Bytes hugeGif = gif;
  hugeGif[6] = hugeGif[7] = hugeGif[8] = hugeGif[9] = 0xFF;
  seeds.push_back(tagged("gif", hugeGif));

  // An uncompressed 2 x 2 TGA of 32-bit texels, and its header claiming 65535 x 65535.
  Bytes tga = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 2, 0, 32, 8};
  for (int i = 0; i < 4; ++i) tga.insert(tga.end(), {0x10, 0x20, 0x30, 0xFF});
  seeds.push_back(tagged("tga", tga));
  Bytes hugeTga = tga;
  hugeTga[12] = hugeTga[13] = hugeTga[14] = hugeTga[15] = 0xFF;
  seeds.push_back(tagged("tga", hugeTga));

  // A 2 x 1 QOI: one RGBA texel, a run of one, the end marker.
  Bytes qoi = {'q', 'o', 'i', 'f', 0, 0, 0, 2, 0, 0, 0, 1, 4, 0, 0xFF, 10, 20, 30, 40, 0xC0, 0, 0, 0, 0, 0, 0, 0, 1};
  seeds.push_back(tagged("qoi", qoi));

  // A 2 x 2 lossless WebP with four alphas, as libwebp encodes it.
  seeds.push_back(tagged(
      "webp", {0x52, 0x49, 0x46, 0x46, 0x3C, 0x00, 0x00, 0x00, 0x57, 0x45, 0x42, 0x50, 0x56, 0x50, 0x38, 0x4C, 0x2F,
               0x00, 0x00, 0x00, 0x2F, 0x01, 0x40, 0x00, 0x10, 0x1F, 0x20, 0x10, 0x20, 0x38, 0xF1, 0x3F, 0x69, 0x43,
               0x20, 0x90, 0xA4, 0xB4, 0x3F, 0xDC, 0x02, 0x01, 0x82, 0x03, 0xFF, 0xB3, 0x04, 0x02, 0xC4, 0x1A, 0x65,
               0xD2, 0xC5, 0x58, 0xCB, 0x52, 0x05, 0xB2, 0x01, 0xCA, 0x54, 0x61, 0x13, 0xD1, 0xFF, 0xF8, 0x00, 0x00}));

  // Formats the engine refuses whatever their content.
  const char* words = "P3\n2 1\n255\n0 0 0 255 255 255\n";
  seeds.push_back(tagged("pnm", Bytes(words, words + std::strlen(words))));
  const char* svg =
      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"4\" height=\"4\"><rect width=\"4\" height=\"4\"/></svg>\n";
  seeds.push_back(tagged("svg", Bytes(svg, svg + std::strlen(svg))));
  const char* xpm = "/* XPM */\nstatic char *x[] = {\"2 1 1 1\", \". c #FF0000\", \"..\"};\n";
  seeds.push_back(tagged("xpm", Bytes(xpm, xpm + std::strlen(xpm))));
  const char* note = "no pixels here, just words\n";
  seeds.push_back(tagged("png", Bytes(note, note + std::strlen(note))));
  seeds.push_back(tagged("dat", Bytes(note, note + std::strlen(note))));
  seeds.push_back(tagged("png", {}));
  return seeds;
}

}  // namespace veltra::fuzz
