// Runs the sandbox on the X display of the test (scripts/with-xvfb.sh gives
// one), lets it save its last frame through vLDevice::Screenshot, and reads
// the picture back: background, the text, the gear, the rope and the balls.
#include <SDL.h>
#include <SDL_image.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

std::string gSandbox;

struct Rgb {
  int r, g, b;
};

class Shot {
 public:
  explicit Shot(const std::string& file) {
    SDL_Surface* loaded = IMG_Load(file.c_str());
    if (loaded) surface_ = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_ARGB8888, 0);
    SDL_FreeSurface(loaded);
  }
  ~Shot() { SDL_FreeSurface(surface_); }
  bool ok() const { return surface_ != nullptr; }
  int width() const { return surface_->w; }
  int height() const { return surface_->h; }
  Rgb at(int x, int y) const {
    const auto* row = static_cast<const std::uint8_t*>(surface_->pixels) + y * surface_->pitch;
    const std::uint32_t p = reinterpret_cast<const std::uint32_t*>(row)[x];
    return {static_cast<int>(p >> 16 & 0xFF), static_cast<int>(p >> 8 & 0xFF), static_cast<int>(p & 0xFF)};
  }
  template <typename Pred>
  int count(int x0, int y0, int x1, int y1, Pred pred) const {
    int n = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) n += pred(at(x, y)) ? 1 : 0;
    return n;
  }

 private:
  SDL_Surface* surface_ = nullptr;
};

bool isBackground(Rgb c) { return c.r == 18 && c.g == 22 && c.b == 32; }
bool isBallBlue(Rgb c) { return c.b > c.r + 50 && c.g > c.r + 30; }
bool isBeadAmber(Rgb c) { return c.r > 120 && c.r > c.b + 60; }
bool isLight(Rgb c) { return c.r > 150 && c.g > 150 && c.b > 150; }

TEST(PhysicsSandbox, DrawsTheSceneThroughTheEngine) {
  const std::string file = ::testing::TempDir() + "physics_sandbox_e2e.png";
  std::remove(file.c_str());
  const std::string command = "'" + gSandbox + "' --frames 120 --screenshot '" + file + "'";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;

  const Shot shot(file);
  ASSERT_TRUE(shot.ok()) << IMG_GetError();
  ASSERT_EQ(shot.width(), 800);
  ASSERT_EQ(shot.height(), 600);
  // The clear colour is exact; the top right corner holds nothing else.
  EXPECT_TRUE(isBackground(shot.at(795, 120)));
  // The status line in light text across the top left.
  EXPECT_GT(shot.count(12, 10, 330, 30, isLight), 150);
  // The gear's hole shows the background, its body around it does not.
  EXPECT_TRUE(isBackground(shot.at(590, 505)));
  EXPECT_EQ(shot.count(560, 475, 620, 535, isBackground), shot.count(578, 493, 602, 517, isBackground));
  // The rope's pinned ends are amber beads, and balls were drawn.
  EXPECT_TRUE(isBeadAmber(shot.at(80, 250)));
  EXPECT_TRUE(isBeadAmber(shot.at(470, 250)));
  EXPECT_GT(shot.count(0, 0, 800, 600, isBallBlue), 36 * 200);
  std::remove(file.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s PHYSICS_SANDBOX\n", argv[0]);
    return 2;
  }
  gSandbox = argv[1];
  return RUN_ALL_TESTS();
}
