#include "input.h"

#include <bitset>

namespace veltra {
namespace input {
namespace {

struct State {
  std::bitset<kKeyCount> keysDown, keysPressed;
  std::bitset<kButtonCount> buttonsDown, buttonsPressed;
  float x = 0, y = 0;
};

State gState;

// The slot a public key code reads, or -1 for one that is never down.
int slotOf(int key) {
  if (key >= 'a' && key <= 'z') return key - 'a' + 'A';
  if (key < 0 || key >= kRightShift) return -1;
  return key;
}

// The right-hand side of a modifier, or -1.
int otherSideOf(int key) {
  switch (key) {
    case vLKeyShift:
      return kRightShift;
    case vLKeyControl:
      return kRightControl;
    case vLKeyAlt:
      return kRightAlt;
    default:
      return -1;
  }
}

template <std::size_t N>
bool either(const std::bitset<N>& bits, int key) {
  const int slot = slotOf(key);
  if (slot < 0) return false;
  const int other = otherSideOf(slot);
  return bits[slot] || (other >= 0 && bits[other]);
}

bool validButton(int button) { return button >= 0 && button < kButtonCount; }

}  // namespace

void keyChanged(int key, bool down) {
  if (key < 0 || key >= kKeyCount || (key >= 'a' && key <= 'z')) return;
  // A key held down repeats its down events: only the first is a press.
  if (down && !gState.keysDown[key]) gState.keysPressed[key] = true;
  gState.keysDown[key] = down;
}

void buttonChanged(int button, bool down) {
  if (!validButton(button)) return;
  if (down && !gState.buttonsDown[button]) gState.buttonsPressed[button] = true;
  gState.buttonsDown[button] = down;
}

void pointerAt(float x, float y) {
  gState.x = x;
  gState.y = y;
}

void releaseKeys() { gState.keysDown.reset(); }
void releaseButtons() { gState.buttonsDown.reset(); }

void startPoll() {
  gState.keysPressed.reset();
  gState.buttonsPressed.reset();
}

void reset() { gState = State{}; }

}  // namespace input
}  // namespace veltra

using veltra::input::gState;

vLVector2 vLMousePosition() { return vLVector2{gState.x, gState.y, 0}; }
bool vLMouseDown(int button) { return veltra::input::validButton(button) && gState.buttonsDown[button]; }
bool vLMousePressed(int button) { return veltra::input::validButton(button) && gState.buttonsPressed[button]; }
bool vLKeyDown(int key) { return veltra::input::either(gState.keysDown, key); }
bool vLKeyPressed(int key) { return veltra::input::either(gState.keysPressed, key); }
