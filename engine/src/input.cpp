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

// The modifiers, by their public (left-hand) code and their right-hand one.
constexpr struct {
  int left, right;
} kModifiers[] = {{vLKeyShift, kRightShift}, {vLKeyControl, kRightControl}, {vLKeyAlt, kRightAlt}};

// The public key a reported code stands for: a right-hand modifier is its key.
int publicOf(int key) {
  for (const auto& m : kModifiers)
    if (key == m.right) return m.left;
  return key;
}

// The right-hand side of a modifier, or -1.
int otherSideOf(int key) {
  for (const auto& m : kModifiers)
    if (key == m.left) return m.right;
  return -1;
}

bool held(int slot) {
  const int other = otherSideOf(slot);
  return gState.keysDown[slot] || (other >= 0 && gState.keysDown[other]);
}

bool validButton(int button) { return button >= 0 && button < kButtonCount; }

}  // namespace

void keyChanged(int key, bool down) {
  if (key < 0 || key >= kKeyCount || (key >= 'a' && key <= 'z')) return;
  // A key held down repeats its down events, and a modifier may be held on
  // both sides: only going down from up is a press.
  if (down && !held(publicOf(key))) gState.keysPressed[publicOf(key)] = true;
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
bool vLKeyDown(int key) {
  const int slot = veltra::input::slotOf(key);
  return slot >= 0 && veltra::input::held(slot);
}

bool vLKeyPressed(int key) {
  const int slot = veltra::input::slotOf(key);
  return slot >= 0 && gState.keysPressed[slot];
}
