// Writes the sandbox's pictures into the folder given, beside the program:
// a glassy ball, a rope bead and an eight-toothed gear.
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "raster.h"

namespace {
using brickfall::Colour;
using brickfall::Image;
using brickfall::mix;
using brickfall::Sample;

// A lit sphere of `radius` centred in a size x size picture.
Image sphere(int size, float radius, Colour base, Colour dim) {
  const float centre = size * 0.5f;
  const float lx = -0.45f, ly = -0.55f, lz = 0.70f;  // towards the light, up and left
  return brickfall::render(size, size, [=](float x, float y) {
    const float nx = (x - centre) / radius, ny = (y - centre) / radius, rr = nx * nx + ny * ny;
    if (rr > 1) return Sample{false, {}};
    const float nz = std::sqrt(1 - rr);
    const float diffuse = std::max(0.0f, nx * lx + ny * ly + nz * lz);
    const float specular = std::pow(std::max(0.0f, 2 * diffuse * nz - lz), 24.0f);
    return Sample{true, mix(mix(dim, base, 0.2f + 0.8f * diffuse), Colour{255, 255, 255}, specular)};
  });
}

// 128 x 128, centre (64, 64): teeth reach radius 59 at 0, 45, 90 ... degrees,
// where the sandbox keeps the masses that make the gear push.
Image gear() {
  constexpr float kC = 64, kBody = 44, kTip = 59, kHub = 12;
  constexpr float kPi = 3.14159265f;
  const Colour steel{150, 162, 180}, light{220, 228, 240}, dark{62, 70, 88};
  return brickfall::render(128, 128, [=](float x, float y) {
    const float dx = x - kC, dy = y - kC, r = std::sqrt(dx * dx + dy * dy);
    // Angular distance to the nearest tooth centre, as an arc length at radius r.
    const float a = std::atan2(dy, dx), step = kPi / 4;
    const float off = std::fabs(std::remainder(a, step)) * r;
    const bool tooth = r <= kTip && off <= 9.0f - (r - kBody) * 0.25f;
    if (r < kHub || (r > kBody && !tooth)) return Sample{false, {}};
    const float shade = (-dx - dy) / (2 * kTip);  // lit from the top left
    Colour c = mix(steel, shade > 0 ? light : dark, std::fabs(shade) * 1.4f);
    if (r < kHub + 3 || (r > kBody - 4 && r < kBody - 2)) c = dark;  // hub rim and a groove
    return Sample{true, c};
  });
}
}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_pictures OUTPUT_FOLDER\n");
    return 2;
  }
  struct Picture {
    const char* name;
    Image image;
  } pictures[] = {{"sandbox_ball.png", sphere(24, 11.75f, {90, 200, 230}, {10, 40, 70})},
                  {"sandbox_bead.png", sphere(12, 5.75f, {250, 190, 80}, {90, 45, 10})},
                  {"sandbox_gear.png", gear()}};
  for (const Picture& p : pictures) {
    const std::string path = std::string(argv[1]) + "/" + p.name;
    if (!brickfall::writePng(path, p.image)) {
      std::fprintf(stderr, "make_pictures: cannot write \"%s\": %s\n", path.c_str(), std::strerror(errno));
      return 1;
    }
  }
  return 0;
}
