#include "game.h"

#include <gtest/gtest.h>

#include <deque>
#include <sstream>
#include <string>
#include <vector>

#include "brickfall_names.h"

using brickfall::Block;
using brickfall::WindowEvents;

namespace {

// Writes every engine call as one line, so a frame reads like a script.
class RecordingEngine : public brickfall::Engine {
 public:
  std::vector<std::string> calls;
  bool deviceWorks = true;

  bool createDevice(vLWindow window) override {
    log() << "createDevice " << (window ? "window" : "null");
    return deviceWorks;
  }
  void lighting(std::uint32_t value) override { log() << "lighting " << value; }
  void zAxis(bool enable) override { log() << "zAxis " << enable; }
  void createFont(vLMaterial& m, int height, bool flag, const char* face) override {
    m.font = fonts_++;
    log() << "createFont " << height << " " << flag << " " << face << " -> " << m.font;
  }
  void loadTexture(vLMaterial& m, const char* file) override {
    m.texture = textures_++;
    log() << "loadTexture " << file << " -> " << m.texture;
  }
  void createSprite(vLMaterial& m) override {
    m.sprite = sprites_++;
    log() << "createSprite -> " << m.sprite;
  }
  void clear(int r, int g, int b) override { log() << "clear " << r << " " << g << " " << b; }
  void beginRender() override { log() << "beginRender"; }
  void endRender() override { log() << "endRender"; }
  void drawAll() override { log() << "drawAll"; }
  void setTexture(vLMaterial m) override { log() << "setTexture " << m.texture; }
  void draw(vLMaterial m, vLVector2 p, vLVector2 pivot, float angle, int a, int b, int c) override {
    log() << "draw " << m.texture << "/" << m.sprite << " at " << p.x << "," << p.y << "," << p.z << " pivot "
          << pivot.x << "," << pivot.y << "," << pivot.z << " angle " << angle << " " << a << " " << b << " " << c;
  }
  void drawText(int font, const char* text, vLVector2 p, int r, int g, int b) override {
    log() << "drawText " << font << " \"" << text << "\" at " << p.x << "," << p.y << "," << p.z << " " << r << " " << g
          << " " << b;
  }

  int count(const std::string& prefix) const {
    int n = 0;
    for (const std::string& c : calls) n += c.compare(0, prefix.size(), prefix) == 0;
    return n;
  }

 private:
  struct Line {
    std::vector<std::string>& calls;
    std::ostringstream text;
    ~Line() { calls.push_back(text.str()); }
    template <typename T>
    Line& operator<<(const T& v) {
      text << v;
      return *this;
    }
  };
  Line log() { return Line{calls, {}}; }
  int fonts_ = 0, textures_ = 0, sprites_ = 0;
};

// A window whose queue and cursor the test scripts; it logs into the engine's
// script so the order of window and engine calls shows.
class ScriptedWindow {
 public:
  ScriptedWindow(RecordingEngine& engine, std::deque<WindowEvents> queue) : engine_(engine), queue_(std::move(queue)) {}
  bool opens = true;
  int cursor = 320;
  int taken = 0;

  bool open() {
    engine_.calls.push_back("open");
    return opens;
  }
  vLWindow handle() const { return reinterpret_cast<vLWindow>(0x1); }
  WindowEvents takeOneEvent() {
    engine_.calls.push_back("takeOneEvent");
    ++taken;
    if (queue_.empty()) return {};
    const WindowEvents e = queue_.front();
    queue_.pop_front();
    return e;
  }
  int cursorX() const { return cursor; }
  void close() { engine_.calls.push_back("close"); }

 private:
  RecordingEngine& engine_;
  std::deque<WindowEvents> queue_;
};

const WindowEvents kOther{true, false}, kQuit{true, true}, kNone{false, false};

std::vector<std::string> slice(const std::vector<std::string>& v, std::size_t from, std::size_t n) {
  return {v.begin() + static_cast<std::ptrdiff_t>(from), v.begin() + static_cast<std::ptrdiff_t>(from + n)};
}

}  // namespace

TEST(Game, StartsTheDeviceThenTheMaterialsInOrder) {
  RecordingEngine engine;
  ScriptedWindow window(engine, {kQuit});
  EXPECT_EQ(brickfall::play(window, engine), 0);
  const std::vector<std::string> expected = {
      "open",
      "createDevice window",
      "lighting 1",
      "zAxis 0",
      "createFont 16 1 Verdana -> 0",
      std::string("loadTexture ") + brickfall::kBlockPicture + " -> 0",
      "createSprite -> 0",
      std::string("loadTexture ") + brickfall::kPaddlePicture + " -> 1",
      "createSprite -> 1",
      std::string("loadTexture ") + brickfall::kBallPicture + " -> 2",
      "createSprite -> 2",
      "takeOneEvent",
  };
  EXPECT_EQ(slice(engine.calls, 0, expected.size()), expected);
  EXPECT_EQ(engine.calls.back(), "close");
}

TEST(Game, FrameDrawsWallBallPaddleAndPointsInOrder) {
  for (int cursor : {320, -50, 900}) {
    RecordingEngine engine;
    brickfall::Game game(engine);
    ASSERT_TRUE(game.start(reinterpret_cast<vLWindow>(0x1)));
    engine.calls.clear();
    game.frame(cursor);

    const auto& calls = engine.calls;
    ASSERT_EQ(calls.size(), 3 + 160 + 4 + 3u);
    EXPECT_EQ(slice(calls, 0, 3), (std::vector<std::string>{"clear 10 20 30", "beginRender", "setTexture 0"}));
    EXPECT_EQ(calls[3], "draw 0/0 at 20,10,0 pivot 20,10,0 angle 0 12 12 12");
    EXPECT_EQ(calls[3 + 16], "draw 0/0 at 20,30,0 pivot 20,10,0 angle 0 12 12 12");
    EXPECT_EQ(calls[3 + 159], "draw 0/0 at 620,190,0 pivot 20,10,0 angle 0 12 12 12");

    std::ostringstream ball;
    ball << "draw 2/2 at " << game.rules().ballX << "," << game.rules().ballY << ",30 pivot 7,7,0 angle 0 12 12 12";
    const std::string paddle = "draw 1/1 at " + std::to_string(cursor) + ",440,0 pivot 75,10,0 angle 0 0 0 0";
    EXPECT_EQ(slice(calls, 163, 7),
              (std::vector<std::string>{"setTexture 2", ball.str(), "setTexture 1", paddle,
                                        "drawText 0 \"Points: 0\" at 10,10,0 255 0 0", "endRender", "drawAll"}))
        << "cursor " << cursor;
  }
}

TEST(Game, PointsTextFollowsTheCounter) {
  RecordingEngine engine;
  brickfall::Game game(engine);
  ASSERT_TRUE(game.start(reinterpret_cast<vLWindow>(0x1)));
  // Just below the bottom-left block, heading straight up into it.
  game.rules().ballX = 20;
  game.rules().ballY = 201;
  game.rules().direction = -90;
  engine.calls.clear();
  game.frame(320);
  EXPECT_EQ(engine.count("drawText 0 \"Points: 1\""), 1);
  EXPECT_EQ(engine.count("draw 0/0"), 160);  // the block hit this frame is still drawn
  engine.calls.clear();
  game.frame(320);
  EXPECT_EQ(engine.count("drawText 0 \"Points: 1\""), 1);  // no text left over from the last frame
  EXPECT_EQ(engine.count("draw 0/0"), 159);

  for (Block& b : game.rules().blocks) b.alive = false;
  game.rules().points = 160;
  engine.calls.clear();
  game.frame(320);
  EXPECT_EQ(engine.count("drawText 0 \"Points: 160\""), 1);
  EXPECT_EQ(engine.count("setTexture 0"), 1);  // bound even with no block left to draw
}

TEST(Game, TakesOneEventPerFrameAndDrawsTheQuitFrameInFull) {
  struct Case {
    const char* name;
    std::deque<WindowEvents> queue;
    int frames;
  } cases[] = {
      {"quit at once", {kQuit}, 1},
      {"idle frames first", {kNone, kNone, kQuit}, 3},
      {"a burst drains one a frame", {kOther, kOther, kOther, kOther, kQuit, kOther}, 5},
  };
  for (Case& c : cases) {
    RecordingEngine engine;
    ScriptedWindow window(engine, c.queue);
    EXPECT_EQ(brickfall::play(window, engine), 0) << c.name;
    EXPECT_EQ(window.taken, c.frames) << c.name;
    EXPECT_EQ(engine.count("drawAll"), c.frames) << c.name;
    EXPECT_EQ(engine.count("drawText"), c.frames) << c.name;
    // Each frame starts by taking its event, then clears; nothing is taken mid-frame.
    for (std::size_t i = 0; i + 1 < engine.calls.size(); ++i) {
      if (engine.calls[i] != "takeOneEvent") continue;
      EXPECT_EQ(engine.calls[i + 1], "clear 10 20 30") << c.name;
    }
    // The last frame, the one that took the quit, runs to its present before the window goes.
    const auto n = engine.calls.size();
    EXPECT_EQ(slice(engine.calls, n - 3, 3), (std::vector<std::string>{"endRender", "drawAll", "close"})) << c.name;
  }
}

TEST(Game, StopsWithStatusOneWithoutAWindowOrDevice) {
  {
    RecordingEngine engine;
    ScriptedWindow window(engine, {kQuit});
    window.opens = false;
    EXPECT_EQ(brickfall::play(window, engine), 1);
    EXPECT_EQ(engine.calls, std::vector<std::string>{"open"});
  }
  RecordingEngine engine;
  engine.deviceWorks = false;
  ScriptedWindow window(engine, {kQuit});
  testing::internal::CaptureStderr();
  EXPECT_EQ(brickfall::play(window, engine), 1);
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(err, "brickfall: cannot create the graphics device on the window\n");
  EXPECT_EQ(engine.calls, (std::vector<std::string>{"open", "createDevice window", "close"}));
}
