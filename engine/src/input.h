// The keyboard and mouse state behind vLKeyDown() and its kin. Backends
// report what their events say; the front end owns the rules that hold
// everywhere: what "pressed" means, lower-case letters, keys that are never
// down, and both sides of a modifier counting as one key.
#pragma once

#include "veltra/veltra.h"

namespace veltra {
namespace input {

// The right-hand modifiers, which backends report apart from the left-hand
// ones (the public vLKeyShift and its kin) so that letting go of one side
// leaves the key held while the other is.
constexpr int kRightShift = vLKeyF12 + 1;
constexpr int kRightControl = kRightShift + 1;
constexpr int kRightAlt = kRightShift + 2;
constexpr int kKeyCount = kRightAlt + 1;
constexpr int kButtonCount = 3;

// From backends, while they take events. A key is a public code with
// letters in upper case, or one of the right-hand codes; anything else, and
// any other button, is ignored.
void keyChanged(int key, bool down);
void buttonChanged(int button, bool down);
void pointerAt(float x, float y);
// Focus or capture lost: the releases will never arrive.
void releaseKeys();
void releaseButtons();

// From the front end: a poll starts, so "pressed" starts afresh; and the
// state of no window (nothing held, the pointer at the origin).
void startPoll();
void reset();

}  // namespace input
}  // namespace veltra
