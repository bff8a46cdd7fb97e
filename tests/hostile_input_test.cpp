// Inputs a careless or hostile caller can pass: bad file names and files,
// images too large for the device, non-finite and out-of-range numbers, text
// that is not what it claims, and calls after the window is gone. None may
// crash, hang, read out of bounds or lose the engine's state, and each failed
// creation says what failed in one "veltra: " line naming the input.
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cmath>
#include <fstream>
#include <limits>
#include <set>
#include <string>
#include <vector>

#include "fuzz/image_formats.h"
#include "fuzz/seeds.h"
#include "headless.h"
#include "platform/sdl/sdl_backend.h"

using Hostile = Headless;

namespace {

constexpr std::uint32_t kBackground = 0xFF0A141Eu;  // Clear(10, 20, 30)
constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
    out.push_back(text.substr(start, end - start));
  if (start < text.size()) out.push_back(text.substr(start));
  return out;
}

std::string writeBytes(const std::string& name, const std::string& bytes) {
  const std::string path = ::testing::TempDir() + "veltra_" + name;
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
  return path;
}

std::string fileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

bool onlyBackground(const Frame& f) {
  for (std::uint32_t p : f.argb)
    if (p != kBackground) return false;
  return true;
}

// Loads `file` into a fresh material and expects an empty slot and exactly one
// "veltra: " line that holds each of `shown`.
void expectRefused(const char* file, std::initializer_list<std::string> shown, const std::string& why) {
  ::testing::internal::CaptureStderr();
  vLMaterial m;
  m.LoadTexture(file);
  const std::string err = ::testing::internal::GetCapturedStderr();
  SCOPED_TRACE(why);
  ASSERT_GE(m.texture, 0);
  EXPECT_EQ(veltra::textureTable().at(m.texture), nullptr);
  const std::vector<std::string> said = lines(err);
  ASSERT_EQ(said.size(), 1u) << err;
  EXPECT_EQ(said[0].rfind("veltra: cannot load texture", 0), 0u) << err;
  for (const std::string& part : shown) EXPECT_NE(said[0].find(part), std::string::npos) << err;
}

}  // namespace

TEST_F(Hostile, BadImageFilesLeaveAnEmptySlotAndOneLineNamingThem) {
  const std::string dir = ::testing::TempDir() + "veltra_a_folder.png";
  mkdir(dir.c_str(), 0755);
  // A FIFO with no writer would block a plain open for ever.
  const std::string fifo = ::testing::TempDir() + "veltra_fifo.png";
  unlink(fifo.c_str());
  ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
  const std::string png = writePng("tiny", 4, 3, [](int, int) { return 0xFF336699u; });
  const std::string whole = fileBytes(png);
  ASSERT_GT(whole.size(), 40u);
  std::string corrupt = whole;
  for (std::size_t i = 33; i < corrupt.size(); i += 3) corrupt[i] = static_cast<char>(corrupt[i] ^ 0x5A);
  const std::string truncated = writeBytes("truncated.png", whole.substr(0, whole.size() / 2));
  const std::string garbled = writeBytes("corrupt.png", corrupt);
  const std::string empty = writeBytes("empty.png", "");
  const std::string text = writeBytes("notes.png", "these are not the pixels you are looking for\n");

  const struct {
    const char* file;
    std::string shown, why;
  } cases[] = {{nullptr, "no file name", "null"},
               {"", "\"\"", "empty name"},
               {dir.c_str(), dir + "\": it is a folder", "directory"},
               {fifo.c_str(), fifo + "\": not a regular file", "fifo"},
               {"/proc/self/mem", "/proc/self/mem", "unreadable from the start"},
               {truncated.c_str(), truncated, "truncated"},
               {garbled.c_str(), garbled, "corrupt"},
               {empty.c_str(), empty, "zero bytes"},
               {text.c_str(), text, "not an image"}};
  for (const auto& c : cases) expectRefused(c.file, {c.shown}, c.why);

  if (geteuid() != 0) {  // root reads any file whatever its mode
    const std::string locked = writeBytes("locked.png", whole);
    chmod(locked.c_str(), 0);
    expectRefused(locked.c_str(), {locked}, "no read permission");
  }

  // Nothing was lost on the way: the next image loads and draws.
  vLMaterial good;
  good.LoadTexture(png.c_str());
  good.CreateSprite();
  EXPECT_NE(veltra::textureTable().at(good.texture), nullptr);
  EXPECT_EQ(good.texture, static_cast<int>(veltra::textureTable().size()) - 1);
  device.Clear(10, 20, 30);
  device.Draw(good, vLVector2{0, 0, 0}, vLVector2{0, 0, 0}, 0, 0, 0, 0);
  EXPECT_EQ(grabFrame().at(1, 1), 0xFF336699u);
  unlink(fifo.c_str());
}

TEST_F(Hostile, OnlyPngJpegBmpGifWebpQoiAndTgaAreDecodedWhateverTheName) {
  using veltra::fuzz::kImageExtensions;
  // The fuzz seeds: the first of each format is a valid image, named here so
  // that its name says nothing.
  std::set<std::string> loaded, refused;
  for (const veltra::fuzz::Bytes& seed : veltra::fuzz::imageSeeds()) {
    const std::string format = kImageExtensions[seed[0] % veltra::fuzz::kImageExtensionCount];
    if (format == "dat" || loaded.count(format) || refused.count(format)) continue;
    const std::string path = writeBytes("seed_" + format + ".png", std::string(seed.begin() + 1, seed.end()));
    ::testing::internal::CaptureStderr();
    vLMaterial m;
    m.LoadTexture(path.c_str());
    const std::string err = ::testing::internal::GetCapturedStderr();
    if (veltra::textureTable().at(m.texture)) {
      loaded.insert(format);
      EXPECT_EQ(err, "") << format;
    } else {
      refused.insert(format);
      EXPECT_EQ(err,
                "veltra: cannot load texture \"" + path + "\": not a PNG, JPEG, BMP, GIF, WebP, QOI or TGA image\n")
          << format;
    }
  }
  EXPECT_EQ(loaded, (std::set<std::string>{"bmp", "gif", "jpg", "png", "qoi", "tga", "webp"}));
  EXPECT_EQ(refused, (std::set<std::string>{"pnm", "svg", "xpm"}));

  // Bytes of no format, a header of a format not read, and a TGA header with a field out of range.
  std::string noise;
  for (int i = 0; i < 300; ++i) noise += static_cast<char>(i * 37 + 11);
  std::string tga = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 2, 0, 32, 8};
  tga[16] = 31;
  tga += std::string(16, '\x7f');
  for (const std::string& bytes : {noise, std::string("\x0a\x05\x01\x08") + noise, tga}) {
    const std::string path = writeBytes("not_an_image.tga", bytes);
    expectRefused(path.c_str(), {path + "\": not a PNG, JPEG, BMP, GIF, WebP, QOI or TGA image"}, "no known format");
  }
}

TEST_F(Hostile, GifsThatWouldLeadTheDecoderAstrayAreRefused) {
  // A 1 x 1 GIF: clear, the first colour, end.
  const std::string head = std::string("GIF89a\x01\x00\x01\x00\x80\x00\x00", 13) + std::string("\xff\0\0\0\0\0", 6);
  const auto gif = [&](const std::string& image) { return head + image + ";"; };
  const std::string sound = std::string(",\0\0\0\0\x01\0\x01\0\0\x02\x02\x44\x01\0", 15);
  // Bytes after the end code are not read as codes (the check once shifted them past 32 bits).
  const std::string trailing = sound.substr(0, 11) + "\x28\x44\x01" + std::string(38, '\x01') + std::string(1, '\0');
  for (const std::string& image : {sound, trailing}) {
    vLMaterial ok;
    ok.LoadTexture(writeBytes("sound.gif", gif(image)).c_str());
    ASSERT_NE(veltra::textureTable().at(ok.texture), nullptr);
  }

  // Found by the image fuzzer: stray bytes the decoder skips, a huge first
  // image and 1-bit codes whose chains loop; it freed a wild pointer.
  const std::string fuzzed(
      "\x47\x49\x46\x38\x39\x61\x01\x00\x00\x00\x01\x80\x00\xff\x39\x39\x38\x39\x39\x39\x39\x39\x39\x39"
      "\x39\x39\x39\x39\x39\x03\x47\x49\x46\x38\x39\x61\x00\x00\xff\x00\x00\x00\x00\x00\x01\x05\x40\x32"
      "\x2c\x00\x00\x00\x00\x40\x2c\x00\x30\x40\x01\x39\x39\x39\x39\x39\x39\x39\x39\x39\x39\x39\x39\x00"
      "\x40\x01\x39\x39\x39\x39\x39\x39\x39\x39\x39\x39\x39\x39\x39\x39\x39\x39\x39\x39\x39\x39\x39\x39"
      "\x39\x39\x23\x69\x6e\x63\x6c\x75\x64\x65\x39\x39\x39\x39\x39\x39\x39\x39\x39\x39\x39\x39\x39\x39"
      "\x39\x39\x39\x39\x39\x39\x39\x39\x39\x39\x39\x39\x39\x39\x00\x00\x00\x00\x2c\x00\xff\xff\xff\xff"
      "\xff\xff\xff\x00\x01\x00\x00\x00\x00\xc6\x0f\x00\x01\xad\x00\x00\x00\x02\x02\x00\x00\x00\x02\x3b"
      "\x39\x39\x39\x2a\x39\x39\x39\x39\x39\x39\x39\x39\x39\x39\x39\x39\x39\x39\x39\x39\x39\x39\x39\x39"
      "\x39\x39\x39\x39\x39\x39\x39\x39\x39\x39\x39\x39\x39\x39\x39\x39\x39\x39\x39\x39\x39\x39\x39\x39"
      "\x39\x00\x00\x00\x00\x2c\x00\xff\xff\xff\xff\xff\xff\xff\x00\x01\x00\x00\x00\x00\x00\x0f\xc6\x01"
      "\xad\x00\x00\x00\x02\x02\x00\x3b",
      248);
  std::string wrongCode = sound, zeroWide = sound, oneBit = sound;
  wrongCode[12] = '\xc4', wrongCode[13] = '\x0b';  // clear, 0, then 7 while 6 is the next entry
  zeroWide[5] = 0;
  oneBit[10] = 1;
  const struct {
    std::string bytes, shown;
  } cases[] = {{fuzzed, "stray byte"},
               {gif(wrongCode), "codes not yet defined"},
               {gif(zeroWide), "0 x 1 pixels"},
               {gif(oneBit), "code size"},
               {head + "\x39" + sound + ";", "stray byte"},
               {head + sound.substr(0, 13), "ends inside its image data"}};
  for (const auto& c : cases) {
    const std::string path = writeBytes("astray.gif", c.bytes);
    expectRefused(path.c_str(), {path, c.shown}, c.shown);
  }
}

TEST_F(Hostile, ImagesTooLargeForTheDeviceAreRefusedBeforeTheyCostMemory) {
  const std::string wide = writePng("wide", 100000, 1, [](int, int) { return 0xFFFFFFFFu; });
  const std::string tall = writePng("tall", 1, 70000, [](int, int) { return 0xFFFFFFFFu; });
  expectRefused(wide.c_str(), {wide, "100000 x 1 pixels"}, "100000 x 1");
  expectRefused(tall.c_str(), {tall, "1 x 70000 pixels"}, "1 x 70000");
  // The software renderer sets no limit of its own; the engine holds it to 8192 a side.
  const std::string over = writePng("over", 8193, 2, [](int, int) { return 0xFFFFFFFFu; });
  expectRefused(over.c_str(), {over, "8193 x 2 pixels is beyond the device's 8192 x 8192"}, "one past the side");
  vLMaterial edge;
  edge.LoadTexture(writePng("edge", 8192, 2, [](int, int) { return 0xFFFFFFFFu; }).c_str());
  EXPECT_NE(veltra::textureTable().at(edge.texture), nullptr);

  // A valid PNG header claiming 60000 x 60000 (14 GB of pixels) with almost no
  // data behind it: the decoder must not be allowed to allocate for it.
  std::string bomb = fileBytes(writePng("bomb", 1, 1, [](int, int) { return 0xFFFFFFFFu; }));
  const auto put32 = [&](std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) bomb[at + i] = static_cast<char>(v >> (24 - 8 * i));
  };
  put32(16, 60000);
  put32(20, 60000);
  put32(29, static_cast<std::uint32_t>(SDL_crc32(0, bomb.data() + 12, 17)));
  const std::string bombFile = writeBytes("bomb.png", bomb);
  expectRefused(bombFile.c_str(), {bombFile, "larger than the device"}, "60000 x 60000 header");
}

TEST_F(Hostile, NonFiniteAndHugeNumbersDrawNothingOrStayOnTarget) {
  vLMaterial m;
  m.LoadTexture(writePng("block", 4, 4, [](int, int) { return 0xFFFFFFFFu; }).c_str());
  m.CreateSprite();
  vLMaterial font;
  font.CreateFontA(16, false, "Verdana");
  const float wild[] = {kNaN,
                        kInf,
                        -kInf,
                        3e9f,
                        -3e9f,
                        std::numeric_limits<float>::max(),
                        std::numeric_limits<float>::lowest(),
                        std::numeric_limits<float>::denorm_min()};
  device.Clear(10, 20, 30);
  device.BeginRender();
  for (float v : wild) {
    // Any one non-finite or far value makes the image land nowhere visible.
    if (!std::isfinite(v) || std::fabs(v) > 1e6f) {
      device.Draw(m, vLVector2{v, 10, 0}, vLVector2{0, 0, 0}, 0, 0, 0, 0);
      device.Draw(m, vLVector2{10, v, 0}, vLVector2{0, 0, 0}, 0, 0, 0, 0);
      device.Draw(m, vLVector2{10, 10, 0}, vLVector2{v, 0, 0}, 0, 0, 0, 0);
      device.Draw(m, vLVector2{10, 10, 0}, vLVector2{0, v, 0}, 0, 0, 0, 0);
    }
    if (!std::isfinite(v)) device.Draw(m, vLVector2{10, 10, 0}, vLVector2{0, 0, 0}, v, 0, 0, 0);
    // Text positions beyond the 32-bit range start off the target.
    if (!std::isnan(v) && std::fabs(v) > 1e6f) {
      device.DrawT(font.font, "Points: 0", vLVector2{v, 10, 0}, 255, 0, 0);
      device.DrawT(font.font, "Points: 0", vLVector2{10, v, 0}, 255, 0, 0);
    }
  }
  device.Clear(INT_MIN, INT_MAX, -1);
  device.Clear(10, 20, 30);
  device.Draw(m, vLVector2{kNaN, kInf, kNaN}, vLVector2{-kInf, kNaN, kInf}, kNaN, INT_MIN, INT_MAX, -1);
  device.EndRender();
  EXPECT_TRUE(onlyBackground(grabFrame()));

  // A huge angle is still an angle, and denormal offsets change nothing visible.
  device.Clear(10, 20, 30);
  device.Draw(m, vLVector2{20, 20, 0}, vLVector2{0, 0, 0}, 3.6e9f, 0, 0, 0);
  EXPECT_FALSE(onlyBackground(grabFrame()));
}

TEST_F(Hostile, TextOfAnyBytesAndLengthIsDrawnWithinItsBuffer) {
  vLMaterial font;
  font.CreateFontA(16, false, "Verdana");
  const std::string invalidUtf8 = "\xff\xfe\xc3\x28\xe2\x82\xf0\x9f\x98 \xed\xa0\x80 ok";
  const std::string controls = "tab\there\rbell\a\x1b[31mesc\x7f\b\f\v";
  const std::string longLine(1 << 20, 'W');
  device.Clear(10, 20, 30);
  ::testing::internal::CaptureStderr();
  device.DrawT(font.font, nullptr, vLVector2{10, 10, 0}, 255, 0, 0);
  device.DrawT(font.font, "", vLVector2{10, 10, 0}, 255, 0, 0);
  device.DrawT(font.font, invalidUtf8.c_str(), vLVector2{10, 10, 0}, 255, 0, 0);
  device.DrawT(font.font, controls.c_str(), vLVector2{10, 40, 0}, 255, 0, 0);
  device.DrawT(font.font, longLine.c_str(), vLVector2{10, 70, 0}, 255, 0, 0);
  ::testing::internal::GetCapturedStderr();

  // 64 KiB with no terminator, right before a page that cannot be read.
  const std::size_t kText = 64 * 1024, page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
  void* block = mmap(nullptr, kText + page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  ASSERT_NE(block, MAP_FAILED);
  char* text = static_cast<char*>(block);
  for (std::size_t i = 0; i < kText; ++i) text[i] = static_cast<char>('a' + i % 26);
  ASSERT_EQ(mprotect(text + kText, page, PROT_NONE), 0);
  ::testing::internal::CaptureStderr();
  device.DrawT(font.font, text, vLVector2{10, 100, 0}, 255, 0, 0);
  device.DrawT(font.font, text, vLVector2{10, 100, 0}, 255, 0, 0);
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_LE(lines(err).size(), 1u) << err;  // said once, not every frame
  munmap(block, kText + page);

  // Still drawing after all of it.
  device.Clear(10, 20, 30);
  device.DrawT(font.font, "Points: 7", vLVector2{10, 10, 0}, 255, 0, 0);
  EXPECT_FALSE(onlyBackground(grabFrame()));
}

TEST_F(Hostile, BadFontRequestsLeaveAnEmptySlotThatDrawsNothing) {
  const std::string longFace(100000, 'V');
  const struct {
    int height;
    const char* face;
    std::string shown;
  } cases[] = {{16, nullptr, "no face name"}, {0, "Verdana", "Verdana"},       {-5, "Verdana", "Verdana"},
               {1025, "Verdana", "1025"},     {INT_MAX, "Verdana", "Verdana"}, {INT_MIN, "Verdana", "Verdana"}};
  for (const auto& c : cases) {
    ::testing::internal::CaptureStderr();
    vLMaterial m;
    m.CreateFontA(c.height, true, c.face);
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(veltra::fontTable().at(m.font), nullptr) << c.height;
    ASSERT_EQ(lines(err).size(), 1u) << err;
    EXPECT_EQ(err.rfind("veltra: cannot create font", 0), 0u) << err;
    EXPECT_NE(err.find(c.shown), std::string::npos) << err;
    device.Clear(10, 20, 30);
    device.DrawT(m.font, "Points: 0", vLVector2{10, 10, 0}, 255, 0, 0);
    EXPECT_TRUE(onlyBackground(grabFrame()));
  }
  // The largest font: a long line mostly off to the left renders only what shows.
  {
    vLMaterial m;
    m.CreateFontA(1024, false, "Verdana");
    ASSERT_NE(veltra::fontTable().at(m.font), nullptr);
    const std::string line(200, 'W');
    device.Clear(10, 20, 30);
    device.DrawT(m.font, line.c_str(), vLVector2{-100000, -300, 0}, 255, 0, 0);
    EXPECT_FALSE(onlyBackground(grabFrame()));
    EXPECT_LE(veltra::sdl::textCacheStats().bytes, std::size_t{4} * 4 * 1024 * 1200);  // a few glyphs, not 200
  }
  // Odd names are only names: they fall back to an installed face, or fail in one line.
  for (const char* face : {"", "\xff\xfe\x80", "Sans:weight=bold:size=900", longFace.c_str()}) {
    ::testing::internal::CaptureStderr();
    vLMaterial m;
    m.CreateFontA(16, false, face);
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_LE(lines(err).size(), 1u) << err;
    device.DrawT(m.font, "Points: 0", vLVector2{10, 10, 0}, 255, 0, 0);
  }
}
