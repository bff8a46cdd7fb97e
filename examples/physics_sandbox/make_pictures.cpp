// Writes the sandbox's pictures into the folder given, beside the program:
// a glassy ball, a rope bead and an eight-toothed gear, drawn in code and
// saved with SDL2_image.
#include <SDL.h>
#include <SDL_image.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>

namespace {

struct Colour {
  float r, g, b;
};

Colour mix(Colour a, Colour b, float t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

// What a shape shows at a point: nothing, or a colour.
using Shape = std::function<bool(float x, float y, Colour& colour)>;

Uint8 channel(float v) { return static_cast<Uint8>(std::clamp(v, 0.0f, 255.0f) + 0.5f); }

// Samples each pixel on a 4 x 4 grid: edges get partial alpha, so the shapes
// blend into whatever the sandbox draws under them.
SDL_Surface* draw(int width, int height, const Shape& shape) {
  constexpr int kGrid = 4;
  SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_RGBA32);
  if (!surface) return nullptr;
  for (int y = 0; y < height; ++y) {
    auto* row = static_cast<Uint8*>(surface->pixels) + y * surface->pitch;
    for (int x = 0; x < width; ++x) {
      Colour sum{0, 0, 0};
      int hits = 0;
      for (int s = 0; s < kGrid * kGrid; ++s) {
        Colour c{};
        if (!shape(x + (s % kGrid + 0.5f) / kGrid, y + (s / kGrid + 0.5f) / kGrid, c)) continue;
        sum = {sum.r + c.r, sum.g + c.g, sum.b + c.b};
        ++hits;
      }
      const float n = hits ? static_cast<float>(hits) : 1.0f;
      Uint8* p = row + x * 4;
      p[0] = channel(sum.r / n);
      p[1] = channel(sum.g / n);
      p[2] = channel(sum.b / n);
      p[3] = channel(255.0f * hits / (kGrid * kGrid));
    }
  }
  return surface;
}

// A lit sphere of `radius` centred in a size x size picture.
SDL_Surface* sphere(int size, float radius, Colour base, Colour dim) {
  const float centre = size * 0.5f;
  const float lx = -0.45f, ly = -0.55f, lz = 0.70f;  // towards the light, up and left
  return draw(size, size, [=](float x, float y, Colour& out) {
    const float nx = (x - centre) / radius, ny = (y - centre) / radius, rr = nx * nx + ny * ny;
    if (rr > 1) return false;
    const float nz = std::sqrt(1 - rr);
    const float diffuse = std::max(0.0f, nx * lx + ny * ly + nz * lz);
    const float specular = std::pow(std::max(0.0f, 2 * diffuse * nz - lz), 24.0f);
    out = mix(mix(dim, base, 0.2f + 0.8f * diffuse), Colour{255, 255, 255}, specular);
    return true;
  });
}

// 128 x 128, centre (64, 64): teeth reach radius 59 at 0, 45, 90 ... degrees,
// where the sandbox keeps the masses that make the gear push.
SDL_Surface* gear() {
  constexpr float kC = 64, kBody = 44, kTip = 59, kHub = 12;
  constexpr float kPi = 3.14159265f;
  const Colour steel{150, 162, 180}, light{220, 228, 240}, dark{62, 70, 88};
  return draw(128, 128, [=](float x, float y, Colour& out) {
    const float dx = x - kC, dy = y - kC, r = std::sqrt(dx * dx + dy * dy);
    // Angular distance to the nearest tooth centre, as an arc length at radius r.
    const float a = std::atan2(dy, dx), step = kPi / 4;
    const float off = std::fabs(std::remainder(a, step)) * r;
    const bool tooth = r <= kTip && off <= 9.0f - (r - kBody) * 0.25f;
    if (r < kHub || (r > kBody && !tooth)) return false;
    const float shade = (-dx - dy) / (2 * kTip);  // lit from the top left
    out = mix(steel, shade > 0 ? light : dark, std::fabs(shade) * 1.4f);
    if (r < kHub + 3 || (r > kBody - 4 && r < kBody - 2)) out = dark;  // hub rim and a groove
    return true;
  });
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: sandbox_pictures OUTPUT_FOLDER\n");
    return 2;
  }
  const struct {
    const char* name;
    SDL_Surface* surface;
  } pictures[] = {{"sandbox_ball.png", sphere(24, 11.75f, {90, 200, 230}, {10, 40, 70})},
                  {"sandbox_bead.png", sphere(12, 5.75f, {250, 190, 80}, {90, 45, 10})},
                  {"sandbox_gear.png", gear()}};
  int status = 0;
  for (const auto& p : pictures) {
    const std::string path = std::string(argv[1]) + "/" + p.name;
    if (!p.surface || IMG_SavePNG(p.surface, path.c_str()) != 0) {
      std::fprintf(stderr, "sandbox_pictures: cannot write \"%s\": %s\n", path.c_str(), SDL_GetError());
      status = 1;
    }
    SDL_FreeSurface(p.surface);
  }
  return status;
}
