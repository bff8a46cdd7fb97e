// Draws Flock's pictures into the folder given: a sheep and the frames of a
// running dog seen from above and facing right (the game turns them), the
// round fence of the pen and the ring of a bark. Standard C++ alone, so the game's folder builds anywhere.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "flock_names.h"
#include "layout.h"

namespace {

struct Rgba {
  float r, g, b, a;  // 0..255; a is the cover, 0..1
};

// What a picture shows at a point: its colour there, with cover 0 outside.
using Shape = std::function<Rgba(float x, float y)>;

struct Picture {
  int width, height;
  std::vector<std::uint8_t> rgba;
};

// Averages 4 x 4 samples per pixel, so edges blend into what lies beneath.
Picture render(int width, int height, const Shape& shape) {
  Picture p{width, height, std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height * 4)};
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      float r = 0, g = 0, b = 0, a = 0;
      for (int i = 0; i < 16; ++i) {
        const Rgba s = shape(x + (i % 4 + 0.5f) / 4, y + (i / 4 + 0.5f) / 4);
        r += s.r * s.a, g += s.g * s.a, b += s.b * s.a, a += s.a;
      }
      std::uint8_t* out = &p.rgba[(static_cast<std::size_t>(y) * width + x) * 4];
      if (a > 0)
        out[0] = static_cast<std::uint8_t>(r / a + 0.5f), out[1] = static_cast<std::uint8_t>(g / a + 0.5f),
        out[2] = static_cast<std::uint8_t>(b / a + 0.5f);
      out[3] = static_cast<std::uint8_t>(std::min(255.0f, a / 16 * 255 + 0.5f));
    }
  return p;
}

std::uint32_t crc(std::uint32_t c, const std::uint8_t* data, std::size_t n) {
  c = ~c;
  while (n--) {
    c ^= *data++;
    for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
  }
  return ~c;
}

// A PNG with its pixels in stored (uncompressed) deflate blocks: the pictures
// are small, and every PNG reader takes them.
bool writePng(const std::string& path, const Picture& p) {
  std::vector<std::uint8_t> raw;  // each row after its filter byte (none)
  for (int y = 0; y < p.height; ++y) {
    raw.push_back(0);
    raw.insert(raw.end(), p.rgba.begin() + y * p.width * 4, p.rgba.begin() + (y + 1) * p.width * 4);
  }
  std::vector<std::uint8_t> z{0x78, 0x01};
  std::uint32_t s1 = 1, s2 = 0;
  for (std::uint8_t byte : raw) s1 = (s1 + byte) % 65521, s2 = (s2 + s1) % 65521;
  for (std::size_t at = 0; at < raw.size(); at += 65535) {
    const std::size_t n = std::min<std::size_t>(65535, raw.size() - at);
    const std::uint8_t head[5] = {static_cast<std::uint8_t>(at + n == raw.size()), static_cast<std::uint8_t>(n),
                                  static_cast<std::uint8_t>(n >> 8), static_cast<std::uint8_t>(~n),
                                  static_cast<std::uint8_t>(~n >> 8)};
    z.insert(z.end(), head, head + 5);
    z.insert(z.end(), raw.begin() + at, raw.begin() + at + n);
  }
  for (int shift = 24; shift >= 0; shift -= 8) z.push_back(static_cast<std::uint8_t>((s2 << 16 | s1) >> shift));

  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const auto big = [](std::uint32_t v) {
    return std::vector<std::uint8_t>{static_cast<std::uint8_t>(v >> 24), static_cast<std::uint8_t>(v >> 16),
                                     static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)};
  };
  const auto chunk = [&](const char* type, std::vector<std::uint8_t> body) {
    body.insert(body.begin(), type, type + 4);
    const std::vector<std::uint8_t> length = big(static_cast<std::uint32_t>(body.size() - 4));
    const std::vector<std::uint8_t> check = big(crc(0, body.data(), body.size()));
    std::fwrite(length.data(), 1, 4, f);
    std::fwrite(body.data(), 1, body.size(), f);
    std::fwrite(check.data(), 1, 4, f);
  };
  std::fwrite("\x89PNG\r\n\x1a\n", 1, 8, f);
  std::vector<std::uint8_t> header = big(p.width);
  const std::vector<std::uint8_t> height = big(p.height);
  header.insert(header.end(), height.begin(), height.end());
  header.insert(header.end(), {8, 6, 0, 0, 0});  // 8-bit RGBA
  chunk("IHDR", header);
  chunk("IDAT", z);
  chunk("IEND", {});
  return std::fclose(f) == 0;
}

float around(float x, float y, float cx, float cy) { return std::hypot(x - cx, y - cy); }
bool inEllipse(float x, float y, float cx, float cy, float rx, float ry) {
  return (x - cx) * (x - cx) / (rx * rx) + (y - cy) * (y - cy) / (ry * ry) <= 1;
}

Rgba sheep(float x, float y) {
  const float c = sheepdog::kSheepSize / 2.0f;
  if (around(x, y, c + 8, c) < 4.5f) return {55, 50, 52, 1};  // the face
  // A fleece of curls: a body whose edge is bumped by a ring of small circles.
  const float a = std::atan2(y - c, x - c + 1), r = 9.8f + 0.9f * std::cos(a * 11);
  const float d = around(x, y, c - 1, c);
  if (d > r) return {0, 0, 0, 0};
  const float shade = 0.82f + 0.18f * (1 - d / r) - 0.1f * std::max(0.0f, (y - c) / r);
  return {246 * shade, 244 * shade, 236 * shade, 1};
}

// The dog's sheet: kDogFrames frames of its run side by side, its legs
// swinging in pairs, front left with back right.
Rgba dog(float sheetX, float y) {
  const int frame = std::min(static_cast<int>(sheetX) / sheepdog::kDogSize, sheepdog::kDogFrames - 1);
  const float x = sheetX - static_cast<float>(frame * sheepdog::kDogSize), c = sheepdog::kDogSize / 2.0f;
  if (around(x, y, c + 15, c) < 1.8f) return {20, 16, 14, 1};                                                    // nose
  if (inEllipse(x, y, c + 7, c - 6, 3, 2.2f) || inEllipse(x, y, c + 7, c + 6, 3, 2.2f)) return {82, 46, 22, 1};  // ears
  if (around(x, y, c + 9, c) < 6.5f || inEllipse(x, y, c - 3, c, 12, 8)) {
    const float white = inEllipse(x, y, c + 1, c, 6, 5) ? 1.0f : 0.0f;  // a white chest
    return {176 + 70 * white, 102 + 140 * white, 46 + 190 * white, 1};
  }
  const float swing = 3.0f * std::sin(frame * 1.5707964f);
  for (float side : {-1.0f, 1.0f})
    if (inEllipse(x, y, c + 5 + side * swing, c + side * 8.5f, 2.5f, 1.8f) ||
        inEllipse(x, y, c - 9 - side * swing, c + side * 8.5f, 2.5f, 1.8f))
      return {96, 54, 24, 1};                                                    // paws
  if (inEllipse(x, y, c - 17, c + swing / 2, 4, 1.8f)) return {140, 80, 36, 1};  // tail
  return {0, 0, 0, 0};
}

Rgba pen(float x, float y) {
  const float c = sheepdog::kPenSize / 2.0f;
  const float d = around(x, y, c, c);
  float direction = std::atan2(y - c, x - c) * 57.29578f;  // degrees, 90 straight down
  if (direction < 0) direction += 360;
  const float offGate = std::fabs(std::remainder(direction - sheepdog::kGateDirection, 360.0f));
  const bool gate = offGate < sheepdog::kGateHalfWidth;
  const bool post = std::fabs(std::remainder(direction, 20.0f)) * d / 57.29578f < 2.5f;
  if (!gate && std::fabs(d - sheepdog::kPenRadius) < (post ? 5.0f : 2.5f)) return {120, 80, 40, 1};
  for (float side : {-1.0f, 1.0f}) {  // a stout post on each side of the gate
    const float a = (sheepdog::kGateDirection + side * sheepdog::kGateHalfWidth) / 57.29578f;
    if (around(x, y, c + sheepdog::kPenRadius * std::cos(a), c + sheepdog::kPenRadius * std::sin(a)) < 5.5f)
      return {90, 58, 28, 1};
  }
  if (d < sheepdog::kPenRadius) return {200, 178, 110, 0.45f};  // trodden straw
  return {0, 0, 0, 0};
}

Rgba barkRing(float x, float y) {
  const float c = sheepdog::kBarkSize / 2.0f, d = around(x, y, c, c);
  if (std::fabs(d - (c - 5)) < 4) return {255, 236, 80, 1};  // thick enough to show when drawn small
  if (std::fabs(d - (c - 16)) < 1.5f) return {255, 236, 80, 0.6f};
  return {0, 0, 0, 0};
}

// 16-bit mono PCM at kRate, made with integers alone.
constexpr int kRate = 22050;
using Samples = std::vector<std::int16_t>;

bool writeWav(const std::string& path, const Samples& samples) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const auto le = [f](std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) std::fputc(static_cast<int>(v >> (8 * i) & 0xFF), f);
  };
  const auto data = static_cast<std::uint32_t>(samples.size() * 2);
  std::fwrite("RIFF", 1, 4, f), le(36 + data, 4), std::fwrite("WAVEfmt ", 1, 8, f);
  le(16, 4), le(1, 2), le(1, 2), le(kRate, 4), le(kRate * 2, 4), le(2, 2), le(16, 2);  // PCM, mono, 16-bit
  std::fwrite("data", 1, 4, f), le(data, 4);
  for (std::int16_t s : samples) le(static_cast<std::uint16_t>(s), 2);
  return std::fclose(f) == 0;
}

// A tone sliding from one pitch to another (in centihertz), a triangle or a
// square wave, rising in 5 ms and fading over its last `fade` of 1024 parts.
void addTone(Samples& out, int fromCentiHz, int toCentiHz, int ms, bool square, int loudness, int fade = 512) {
  const int frames = kRate * ms / 1000, rise = kRate / 200;
  std::uint32_t phase = 0;
  for (int i = 0; i < frames; ++i) {
    const std::int64_t centiHz = fromCentiHz + static_cast<std::int64_t>(toCentiHz - fromCentiHz) * i / frames;
    phase += static_cast<std::uint32_t>((centiHz << 32) / (100LL * kRate));
    const int t = static_cast<int>(phase >> 16);  // 0 .. 65535 through one period
    const int wave = square ? (t < 32768 ? 32767 : -32767) : (t < 32768 ? 2 * t - 32768 : 98303 - 2 * t);
    const int fadeFrom = frames - frames * fade / 1024;
    int level = loudness;
    if (i < rise) level = level * i / rise;
    if (i > fadeFrom) level = level * (frames - i) / (frames - fadeFrom);
    out.push_back(static_cast<std::int16_t>(wave * level / 32768));
  }
}

Samples bark() {
  Samples s;
  addTone(s, 34000, 18000, 70, true, 9000, 300);
  addTone(s, 26000, 15000, 90, true, 7000);
  return s;
}

// Baa: a wavering triangle, the wobble made of short slides.
Samples bleat() {
  Samples s;
  for (int i = 0; i < 8; ++i)
    addTone(s, i % 2 ? 52000 : 48000, i % 2 ? 48000 : 52000, 40, false, 9000, i == 7 ? 900 : 0);
  return s;
}

// A light tune on a triangle, a quaver each 180 ms: semitones from A4, -99 a rest.
Samples tune() {
  const int melody[] = {-2, 2, 5, 2, 7,  5, 2, -99, 0, 3, 7, 3, 5,  3,   0,  -99,
                        -2, 2, 5, 2, 10, 9, 7, 5,   2, 5, 3, 0, -2, -99, -2, -99};
  // Equal-tempered semitones above A4 (440 Hz) in centihertz, a rounded table.
  const int octave[] = {44000, 46616, 49388, 52325, 55437, 58733, 62225, 65926, 69846, 73999, 78399, 83061};
  Samples s;
  for (int key : melody) {
    if (key == -99) {
      s.insert(s.end(), kRate * 180 / 1000, 0);
      continue;
    }
    const int centiHz = key < 0 ? octave[key + 12] / 2 : octave[key % 12] << (key / 12);
    addTone(s, centiHz, centiHz, 180, false, 5000, 700);
  }
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_assets OUTPUT_FOLDER\n");
    return 2;
  }
  const struct {
    const char* name;
    int width, height;
    Shape shape;
  } pictures[] = {{sheepdog::kSheepPicture, sheepdog::kSheepSize, sheepdog::kSheepSize, sheep},
                  {sheepdog::kDogPicture, sheepdog::kDogSize * sheepdog::kDogFrames, sheepdog::kDogSize, dog},
                  {sheepdog::kPenPicture, sheepdog::kPenSize, sheepdog::kPenSize, pen},
                  {sheepdog::kBarkPicture, sheepdog::kBarkSize, sheepdog::kBarkSize, barkRing}};
  const struct {
    const char* name;
    Samples samples;
  } sounds[] = {{sheepdog::kBarkSound, bark()}, {sheepdog::kBleatSound, bleat()}, {sheepdog::kTuneSound, tune()}};
  const std::string folder = std::string(argv[1]) + "/";
  bool written = true;
  const auto cannot = [&written](const std::string& path) {
    std::fprintf(stderr, "make_assets: cannot write \"%s\"\n", path.c_str());
    written = false;
  };
  for (const auto& p : pictures)
    if (!writePng(folder + p.name, render(p.width, p.height, p.shape))) cannot(folder + p.name);
  for (const auto& s : sounds)
    if (!writeWav(folder + s.name, s.samples)) cannot(folder + s.name);
  return written ? 0 : 1;
}
