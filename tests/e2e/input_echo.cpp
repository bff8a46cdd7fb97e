// Opens a window through the engine and prints what the input calls say, a
// line per change, for the e2e window test to hold against what it typed and
// clicked. Written against veltra.h alone, so it is the same program on every
// platform:
//   open                        the window is up (the test may start)
//   pressed K / released K      a key code K went down / came up
//   button B pressed at X Y     ... and released
//   pointer X Y                 the pointer moved (client pixels)
//   closed                      vLPollEvents said false, and stays so
//   clock ...                   the frame clock's figures, and whether they hold
#include <veltra/veltra.h>

#include <cstdio>

namespace {

constexpr int kKeys = vLKeyF12 + 1;
bool gDown[kKeys];
bool gButtons[3];
int gFaults = 0;

void fault(const char* what, int value) {
  std::printf("fault %s %d\n", what, value);
  ++gFaults;
}

void echoKeys() {
  for (int key = 0; key < kKeys; ++key) {
    if (key == 'a') key = 'z' + 1;  // the same keys as 'A' to 'Z', checked below
    const bool down = vLKeyDown(key);
    if (vLKeyPressed(key)) std::printf("pressed %d\n", key);
    if (gDown[key] && !down) std::printf("released %d\n", key);
    gDown[key] = down;
    if (key >= 'A' && key <= 'Z' && (vLKeyDown(key + 32) != down || vLKeyPressed(key + 32) != vLKeyPressed(key)))
      fault("lower case differs for", key);
  }
}

void echoMouse(vLVector2& last) {
  const vLVector2 at = vLMousePosition();
  if (at.x != last.x || at.y != last.y) std::printf("pointer %d %d\n", static_cast<int>(at.x), static_cast<int>(at.y));
  last = at;
  for (int b = 0; b < 3; ++b) {
    if (vLMousePressed(b))
      std::printf("button %d pressed at %d %d\n", b, static_cast<int>(at.x), static_cast<int>(at.y));
    if (gButtons[b] && !vLMouseDown(b)) std::printf("button %d released\n", b);
    gButtons[b] = vLMouseDown(b);
  }
}

}  // namespace

int main() {
  const vLWindow window = vLOpenWindow("Veltra input echo", 320, 240);
  vLDevice device;
  if (!window || !device.CreateDevice(window)) return 1;
  std::printf("open\n");
  std::fflush(stdout);
  vLVector2 last = vLMousePosition();
  long polls = 0;
  double frames = 0, longest = 0, first = -1, previous = 0;
  while (vLPollEvents()) {
    ++polls;
    const double now = vLTime();
    if (first < 0) first = now;
    if (now < previous) fault("time went back at poll", static_cast<int>(polls));
    if (vLFrameTime() < 0 || (polls == 1 && vLFrameTime() != 0))
      fault("frame time wrong at poll", static_cast<int>(polls));
    previous = now;
    frames += vLFrameTime();
    if (vLFrameTime() > longest) longest = vLFrameTime();
    echoKeys();
    echoMouse(last);
    std::fflush(stdout);
    device.Clear(30, 60, 90);
    device.BeginRender();
    device.EndRender();
    device.DrawAll();
  }
  if (vLPollEvents()) fault("polled true after the close", 0);
  vLCloseWindow();
  vLCloseWindow();
  if (vLPollEvents() || vLKeyDown(vLKeyShift) || vLMouseDown(vLMouseLeft)) fault("state after vLCloseWindow", 0);
  std::printf("closed\n");
  // The frame times add up to the time from the first poll to the last.
  if (frames > previous - first + 1e-3)
    fault("frame times exceed the time polled, ms", static_cast<int>(frames * 1000));
  std::printf("clock polls %ld mean_ms %.2f longest_ms %.1f\n", polls, polls > 1 ? frames * 1000 / (polls - 1) : 0.0,
              longest * 1000);
  std::printf("faults %d\n", gFaults);
  return gFaults == 0 ? 0 : 3;
}
