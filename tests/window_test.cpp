// The window and input rules that hold on every backend, checked without a
// display: the argument checks of vLOpenWindow, the state before any window,
// and what the input calls make of the events a backend reports.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "input.h"
#include "log.h"
#include "platform/platform.h"
#include "veltra/veltra.h"

#if !defined(_WIN32)
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace input = veltra::input;

namespace {

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> out;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
    out.push_back(text.substr(start, end - start));
  return out;
}

// Opens with these arguments and expects no window and exactly `line` on stderr.
void expectRefused(const char* title, int width, int height, const std::string& line) {
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(vLOpenWindow(title, width, height), nullptr);
  const std::vector<std::string> said = linesOf(::testing::internal::GetCapturedStderr());
  ASSERT_EQ(said.size(), 1u) << width << " x " << height;
  EXPECT_EQ(said[0], line);
}

class Input : public ::testing::Test {
 protected:
  void SetUp() override { input::reset(); }
  void TearDown() override { input::reset(); }
};

}  // namespace

TEST(Window, BadArgumentsOpenNothingAndSayWhyInOneLine) {
  expectRefused(nullptr, 640, 480, std::string("veltra: cannot open a window: ") + veltra::message::kNoTitle);
  const int max = veltra::platform::kMaxWindowSide;
  const int sizes[][2] = {{0, 480}, {640, 0}, {-1, -1}, {max + 1, 1}, {1, max + 1}, {INT_MIN, 480}, {640, INT_MAX}};
  for (const auto& s : sizes) {
    const std::string size = std::to_string(s[0]) + " x " + std::to_string(s[1]);
    expectRefused("Game", s[0], s[1],
                  "veltra: cannot open window \"Game\": " + size + " is not a size from 1 x 1 to " +
                      std::to_string(max) + " x " + std::to_string(max));
  }
}

TEST(Window, WithNoWindowNothingIsDownAndPollingSaysFalseOnce) {
  ::testing::internal::CaptureStderr();
  vLCloseWindow();  // nothing to close: nothing happens
  EXPECT_FALSE(vLPollEvents());
  EXPECT_FALSE(vLPollEvents());
  const std::vector<std::string> said = linesOf(::testing::internal::GetCapturedStderr());
  ASSERT_EQ(said.size(), 1u);
  EXPECT_EQ(said[0], std::string("veltra: ") + veltra::message::kNoWindowOpen);

  const vLVector2 at = vLMousePosition();
  EXPECT_EQ(at.x, 0.0f);
  EXPECT_EQ(at.y, 0.0f);
  for (int key : {int{'A'}, int{'a'}, int{' '}, int{'0'}, int{vLKeyEscape}, int{vLKeyArrowLeft}}) {
    EXPECT_FALSE(vLKeyDown(key));
    EXPECT_FALSE(vLKeyPressed(key));
  }
  EXPECT_FALSE(vLMouseDown(vLMouseLeft));
  EXPECT_FALSE(vLMousePressed(vLMouseLeft));
  EXPECT_EQ(vLFrameTime(), 0.0f);
  EXPECT_EQ(vLTime(), 0.0);  // no window is ever opened in this program
}

#if !defined(_WIN32)
TEST(Window, ATitleWithNoEndIsReadNoFurtherThanItsLimit) {
  // The title fills a page and the next one cannot be read.
  const long page = sysconf(_SC_PAGESIZE);
  auto* block = static_cast<char*>(mmap(nullptr, 2 * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
  ASSERT_NE(block, MAP_FAILED);
  ASSERT_EQ(mprotect(block + page, page, PROT_NONE), 0);
  std::fill(block, block + page, 'x');
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(vLOpenWindow(block, 0, 0), nullptr);
  const std::vector<std::string> said = linesOf(::testing::internal::GetCapturedStderr());
  ASSERT_EQ(said.size(), 1u);
  EXPECT_NE(said[0].find("\"xxxx"), std::string::npos);
  munmap(block, 2 * page);
}
#endif

#if defined(VELTRA_BACKEND_NONE)
TEST(Window, AGraphicsFreeBuildSaysItHasNoWindow) {
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(vLOpenWindow("Game", 640, 480), nullptr);
  const std::vector<std::string> said = linesOf(::testing::internal::GetCapturedStderr());
  ASSERT_EQ(said.size(), 1u);
  EXPECT_NE(said[0].find("veltra: cannot open window \"Game\": this Veltra is built without graphics"),
            std::string::npos);
  EXPECT_EQ(vLTime(), 0.0);
}
#endif

TEST_F(Input, AKeyIsPressedInThePollItWentDownAndHeldUntilItGoesUp) {
  input::startPoll();
  input::keyChanged('A', true);
  for (int key : {'A', 'a'}) {
    EXPECT_TRUE(vLKeyDown(key));
    EXPECT_TRUE(vLKeyPressed(key));
  }
  input::startPoll();
  input::keyChanged('A', true);  // a held key repeats: no new press
  EXPECT_TRUE(vLKeyDown('a'));
  EXPECT_FALSE(vLKeyPressed('a'));
  input::startPoll();
  input::keyChanged('A', false);
  EXPECT_FALSE(vLKeyDown('A'));
  EXPECT_FALSE(vLKeyPressed('A'));

  // Down and up again between two polls: not held, but pressed.
  input::startPoll();
  input::keyChanged(vLKeyEnter, true);
  input::keyChanged(vLKeyEnter, false);
  EXPECT_FALSE(vLKeyDown(vLKeyEnter));
  EXPECT_TRUE(vLKeyPressed(vLKeyEnter));
  EXPECT_FALSE(vLKeyDown('B'));
}

TEST_F(Input, BothSidesOfAModifierAreOneKey) {
  const int sides[][2] = {
      {vLKeyShift, input::kRightShift}, {vLKeyControl, input::kRightControl}, {vLKeyAlt, input::kRightAlt}};
  for (const auto& s : sides) {
    input::startPoll();
    input::keyChanged(s[0], true);
    input::keyChanged(s[1], true);
    EXPECT_TRUE(vLKeyPressed(s[0])) << s[0];
    input::startPoll();
    input::keyChanged(s[0], false);
    input::keyChanged(s[0], true);
    input::keyChanged(s[0], false);
    EXPECT_TRUE(vLKeyDown(s[0])) << s[0];      // the right-hand one is still held...
    EXPECT_FALSE(vLKeyPressed(s[0])) << s[0];  // ... so the key as a whole never went down
    EXPECT_FALSE(vLKeyDown(s[1])) << "the right-hand code is the engine's own";
    input::keyChanged(s[1], false);
    EXPECT_FALSE(vLKeyDown(s[0])) << s[0];
  }
}

TEST_F(Input, KeysAndButtonsOutsideTheNamedOnesAreNeverDown) {
  // Reported or asked for, out-of-range and lower-case codes name nothing.
  for (int key : {-1, INT_MIN, INT_MAX, input::kKeyCount, 1000, int{'a'}}) input::keyChanged(key, true);
  for (int button : {-1, 3, INT_MAX}) input::buttonChanged(button, true);
  for (int key : {-1, INT_MIN, INT_MAX, input::kKeyCount, 1000, input::kRightShift}) {
    EXPECT_FALSE(vLKeyDown(key)) << key;
    EXPECT_FALSE(vLKeyPressed(key)) << key;
  }
  EXPECT_FALSE(vLKeyDown('A')) << "a backend reports letters in upper case";
  for (int button : {-1, 3, 4, INT_MIN, INT_MAX}) {
    EXPECT_FALSE(vLMouseDown(button)) << button;
    EXPECT_FALSE(vLMousePressed(button)) << button;
  }
}

TEST_F(Input, ButtonsFollowTheKeysRulesAndLostFocusLetsGo) {
  input::startPoll();
  input::buttonChanged(vLMouseRight, true);
  input::keyChanged(vLKeyArrowLeft, true);
  input::pointerAt(-12.5f, 700);
  EXPECT_TRUE(vLMouseDown(vLMouseRight));
  EXPECT_TRUE(vLMousePressed(vLMouseRight));
  EXPECT_FALSE(vLMouseDown(vLMouseLeft));
  const vLVector2 at = vLMousePosition();
  EXPECT_EQ(at.x, -12.5f);  // outside the window, as the pointer is
  EXPECT_EQ(at.y, 700.0f);
  EXPECT_EQ(at.z, 0.0f);

  // The releases go to another window: nothing stays held, but what was
  // pressed in this poll still was.
  input::releaseKeys();
  input::releaseButtons();
  EXPECT_FALSE(vLKeyDown(vLKeyArrowLeft));
  EXPECT_TRUE(vLKeyPressed(vLKeyArrowLeft));
  EXPECT_FALSE(vLMouseDown(vLMouseRight));
  EXPECT_TRUE(vLMousePressed(vLMouseRight));
  input::startPoll();
  EXPECT_FALSE(vLMousePressed(vLMouseRight));
}
