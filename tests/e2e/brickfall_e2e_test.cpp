// Brickfall on a private X server: real window, real pointer, real pixels.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include "brickfall_names.h"
#include "pictures.h"
#include "x11_session.h"

using brickfall::e2e::Pixels;
using brickfall::e2e::savePng;
using brickfall::e2e::WindowInfo;

namespace {

// Rendering may round a channel by a step or two; the pictures are drawn 1:1.
bool near(const std::uint8_t* got, const std::uint8_t* want, int tolerance = 3) {
  for (int i = 0; i < 3; ++i)
    if (std::abs(got[i] - want[i]) > tolerance) return false;
  return true;
}

const std::uint8_t kBackground[3] = {10, 20, 30};

class Game {
 public:
  // Starts Brickfall in `folder`, its stderr kept in `log`.
  Game(const std::string& display, const std::string& folder, const std::string& log) : log_(log) {
    pid_ = fork();
    if (pid_ == 0) {
      prctl(PR_SET_PDEATHSIG, SIGKILL);  // a test killed on timeout leaves no game behind
      const int fd = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (fd >= 0) dup2(fd, 2);
      setenv("DISPLAY", display.c_str(), 1);
      if (chdir(folder.c_str()) != 0) _exit(126);
      execl(BRICKFALL_PROGRAM, "Brickfall", static_cast<char*>(nullptr));
      _exit(127);
    }
  }
  ~Game() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }
  // The exit status, or -1 if it is still running after `seconds`.
  int waitForExit(double seconds) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < until) {
      int status = 0;
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return -1;
  }
  std::string errors() const {
    std::ifstream in(log_);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

 private:
  pid_t pid_ = -1;
  std::string log_;
};

// The run of paddle-coloured pixels on the paddle's centre line, as [first, last].
std::pair<int, int> paddleSpan(const Pixels& shot) {
  const brickfall::Image paddle = brickfall::paddlePicture();
  const std::uint8_t* colour = paddle.at(75, 10);
  int first = -1, last = -1;
  if (shot.height <= 440) return {first, last};
  for (int x = 0; x < shot.width; ++x) {
    if (!near(shot.at(x, 440), colour, 8)) continue;
    if (first < 0) first = x;
    last = x;
  }
  return {first, last};
}

class Brickfall : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(server_.display().empty()) << "Xvfb did not start";
    x_ = std::make_unique<brickfall::e2e::XSession>(server_.display());
    ASSERT_TRUE(x_->ok());
    x_->watchTopLevelMaps();
  }
  // Grabs the window until `ready` holds (a loaded machine may start the game
  // slowly) or `seconds` pass; returns the last grab either way.
  template <typename Ready>
  Pixels grabWhen(const WindowInfo& w, Ready ready, double seconds = 20) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    Pixels shot = x_->grab(w.id);
    while (!(shot.width == 640 && shot.height == 480 && ready(shot)) && std::chrono::steady_clock::now() < until) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      shot = x_->grab(w.id);
    }
    return shot;
  }
  // The game has drawn: the bottom corner shows the background.
  static bool drawn(const Pixels& shot) {
    return shot.width == 640 && shot.height == 480 && near(shot.at(639, 479), kBackground, 0);
  }
  std::string artefact(const std::string& name) { return std::string(E2E_OUTPUT_DIR) + "/" + name; }
  void closeAndExpectZero(Game& game, const WindowInfo& w) {
    ASSERT_TRUE(x_->askToClose(w.id));
    EXPECT_EQ(game.waitForExit(10), 0) << game.errors();
  }

  brickfall::e2e::Xvfb server_;
  std::unique_ptr<brickfall::e2e::XSession> x_;
};

}  // namespace

TEST_F(Brickfall, DrawsTheGameUnderThePointerAndClosesLikeAnyWindow) {
  Game game(server_.display(), BRICKFALL_DIR, artefact("e2e-play.log"));
  WindowInfo w;
  ASSERT_TRUE(x_->findWindow(brickfall::kCaption, 20, w)) << game.errors();
  EXPECT_EQ(w.className, brickfall::kWindowClass);
  EXPECT_EQ(w.classClass, brickfall::kWindowClass);
  EXPECT_EQ(w.x, 100);
  EXPECT_EQ(w.y, 100);
  EXPECT_EQ(w.width, 640);
  EXPECT_EQ(w.height, 480);
  EXPECT_TRUE(w.fixedSize);

  x_->movePointer(w.x + 300, w.y + 300);
  const Pixels shot = grabWhen(w, [](const Pixels& p) {
    const auto span = paddleSpan(p);
    return drawn(p) && std::abs(span.first + span.second - 600) <= 2;
  });
  savePng(shot, artefact("e2e-play.png"));
  ASSERT_EQ(shot.width, 640);
  ASSERT_EQ(shot.height, 480);
  // One window, shown once: a window made again for the device leaves whoever
  // found the first one (a window manager, a user's tool) with one that is gone.
  EXPECT_EQ(x_->topLevelMaps(), 1);

  // The open field is background, bar the ball.
  int background = 0, field = 0;
  for (int y = 220; y < 420; y += 2)
    for (int x = 0; x < 640; x += 2, ++field) background += near(shot.at(x, y), kBackground, 0);
  EXPECT_GT(background, field * 95 / 100);

  // Every block's centre shows the brick, or the background once it is hit;
  // the three under the points text are left out.
  const brickfall::Image block = brickfall::blockPicture();
  int bricks = 0;
  for (int row = 0; row < 10; ++row)
    for (int col = 0; col < 16; ++col) {
      const int x = col * 40 + 20, y = row * 20 + 10;
      if (row == 0 && col < 3) continue;
      const bool brick = near(shot.at(x, y), block.at(20, 10));
      bricks += brick;
      EXPECT_TRUE(brick || near(shot.at(x, y), kBackground, 0)) << "block at " << x << "," << y;
    }
  EXPECT_GT(bricks, 140);

  const auto span = paddleSpan(shot);
  EXPECT_NEAR((span.first + span.second) / 2.0, 300, 1.0);
  EXPECT_NEAR(span.second - span.first + 1, 150, 4);

  int red = 0;
  for (int y = 8; y < 32; ++y)
    for (int x = 8; x < 140; ++x) {
      const std::uint8_t* p = shot.at(x, y);
      red += p[0] > 180 && p[1] < 90 && p[2] < 90;
    }
  EXPECT_GT(red, 30) << "no red points text near (10, 10)";

  closeAndExpectZero(game, w);
}

TEST_F(Brickfall, PointerLeftOfTheWindowTakesThePaddleOffTheEdge) {
  Game game(server_.display(), BRICKFALL_DIR, artefact("e2e-left.log"));
  WindowInfo w;
  ASSERT_TRUE(x_->findWindow(brickfall::kCaption, 20, w)) << game.errors();
  x_->movePointer(w.x - 60, w.y + 200);  // the paddle's centre at x = -60
  const Pixels shot = grabWhen(w, [](const Pixels& p) { return drawn(p) && paddleSpan(p).first == 0; });
  savePng(shot, artefact("e2e-left.png"));
  const auto span = paddleSpan(shot);
  EXPECT_EQ(span.first, 0);
  EXPECT_NEAR(span.second, -60 + 75, 3);
  closeAndExpectZero(game, w);
}

TEST_F(Brickfall, RunsOnWithoutItsPictures) {
  const std::string empty = artefact("e2e-no-pictures");
  mkdir(empty.c_str(), 0755);
  Game game(server_.display(), empty, artefact("e2e-no-pictures.log"));
  WindowInfo w;
  ASSERT_TRUE(x_->findWindow(brickfall::kCaption, 20, w)) << game.errors();
  EXPECT_TRUE(drawn(grabWhen(w, drawn)));  // the loop runs on
  const std::string errors = game.errors();
  for (const char* name : {brickfall::kBlockPicture, brickfall::kPaddlePicture, brickfall::kBallPicture}) {
    const std::string quoted = std::string("\"") + name + "\"";
    const auto first = errors.find(quoted);
    EXPECT_NE(first, std::string::npos) << name << " not reported:\n" << errors;
    EXPECT_EQ(errors.find(quoted, first + 1), std::string::npos) << name << " reported twice:\n" << errors;
  }
  closeAndExpectZero(game, w);
}
