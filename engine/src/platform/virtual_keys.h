// Win32's virtual-key codes, which a browser's KeyboardEvent.keyCode shares,
// as the front end names keys: the Direct3D 9 and web backends both read
// their key events through this (and list virtual_keys.cpp among their sources).
#pragma once

namespace veltra {
namespace platform {

// The key with virtual-key `code`, by what the user's layout prints on it;
// `right` when it is the right-hand one of a pair (Shift, Control, Alt).
// -1 for a key the engine does not name.
int keyOfVirtualKey(unsigned code, bool right);

}  // namespace platform
}  // namespace veltra
