// The engine's own window on every backend with graphics, on its headless
// display: one window at a time, the end of the loop, the device on it and
// the frame clock. (Typed keys and a moving pointer on a real display: the
// e2e window test.)
#include <string>
#include <vector>

#include "headless.h"
#include "log.h"

namespace {

class OwnWindow : public FreshEngine {
 protected:
  void SetUp() override {
    FreshEngine::SetUp();
    headless::useHeadlessDisplay();
  }
  void TearDown() override { vLCloseWindow(); }
};

std::string stderrOf(void (*run)()) {
  ::testing::internal::CaptureStderr();
  run();
  return ::testing::internal::GetCapturedStderr();
}

}  // namespace

TEST_F(OwnWindow, OneAtATimeAndAgainAfterClosing) {
  const vLWindow first = vLOpenWindow("first", 320, 200);
  ASSERT_NE(first, nullptr);
  EXPECT_TRUE(vLPollEvents());
  const std::string said = stderrOf([] { EXPECT_EQ(vLOpenWindow("second", 320, 200), nullptr); });
  EXPECT_EQ(said, std::string("veltra: cannot open window \"second\": ") + veltra::message::kWindowOpen + "\n");
  EXPECT_TRUE(vLPollEvents()) << "the refused second window left the first alone";

  vLCloseWindow();
  vLCloseWindow();  // a second close does nothing
  EXPECT_FALSE(vLPollEvents());
  ASSERT_NE(vLOpenWindow("again", 320, 200), nullptr);
  EXPECT_TRUE(vLPollEvents());
}

TEST_F(OwnWindow, ACloseRequestEndsTheLoopAndTheWindowStaysUntilClosed) {
  const vLWindow window = vLOpenWindow("closing", 640, 480);
  ASSERT_NE(window, nullptr);
  vLDevice device;
  ASSERT_TRUE(device.CreateDevice(window));
  ASSERT_TRUE(vLPollEvents());
  headless::askToClose(window);
  const std::string said = stderrOf([] {
    EXPECT_FALSE(vLPollEvents());
    EXPECT_FALSE(vLPollEvents()) << "false once closed, not only once";
  });
  EXPECT_EQ(said, "") << "closing by the user is no error";

  // The program's last frame still draws into the window it made.
  device.Clear(40, 50, 60);
  EXPECT_EQ(grabFrame().at(320, 240), 0xFF28323Cu);
  vLCloseWindow();
  EXPECT_FALSE(vLPollEvents());
}

TEST_F(OwnWindow, TheFrameClockStartsAtTheWindowAndNeverGoesBack) {
  ASSERT_NE(vLOpenWindow("clock", 320, 200), nullptr);
  const double opened = vLTime();
  EXPECT_GE(opened, 0.0);
  EXPECT_LT(opened, 5.0);
  ASSERT_TRUE(vLPollEvents());
  EXPECT_EQ(vLFrameTime(), 0.0f) << "nothing to measure after the first poll";
  double last = vLTime(), frames = 0;
  for (int i = 0; i < 20; ++i) {
    const double before = vLTime();
    ASSERT_TRUE(vLPollEvents());
    EXPECT_GE(vLFrameTime(), 0.0f);
    frames += vLFrameTime();
    const double now = vLTime();
    EXPECT_GE(now, last);
    EXPECT_GE(now, before);
    last = now;
  }
  // The frame times add up to the time between the first and the last poll.
  EXPECT_LE(frames, vLTime() - opened + 1e-6);
}
