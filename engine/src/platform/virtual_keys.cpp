#include "platform/virtual_keys.h"

#include "input.h"

namespace veltra {
namespace platform {
namespace {

constexpr unsigned kF1 = 0x70, kF12 = 0x7B;
constexpr unsigned kShift = 0x10, kControl = 0x11, kAlt = 0x12;

// The keys with no character of their own, beside the modifiers.
constexpr struct {
  unsigned code;
  int key;
} kNamedKeys[] = {
    {0x08, vLKeyBackspace},
    {0x09, vLKeyTab},
    {0x0D, vLKeyEnter},
    {0x1B, vLKeyEscape},
    {0x20, ' '},
    {0x2E, vLKeyDelete},
    {0x25, vLKeyArrowLeft},
    {0x27, vLKeyArrowRight},
    {0x26, vLKeyArrowUp},
    {0x28, vLKeyArrowDown},
    {0x2D, vLKeyInsert},
    {0x24, vLKeyHome},
    {0x23, vLKeyEnd},
    {0x21, vLKeyPageUp},
    {0x22, vLKeyPageDown},
};

}  // namespace

int keyOfVirtualKey(unsigned code, bool right) {
  if ((code >= 'A' && code <= 'Z') || (code >= '0' && code <= '9')) return static_cast<int>(code);
  if (code >= kF1 && code <= kF12) return vLKeyF1 + static_cast<int>(code - kF1);
  if (code == kShift) return right ? input::kRightShift : vLKeyShift;
  if (code == kControl) return right ? input::kRightControl : vLKeyControl;
  if (code == kAlt) return right ? input::kRightAlt : vLKeyAlt;
  for (const auto& named : kNamedKeys)
    if (named.code == code) return named.key;
  return -1;
}

}  // namespace platform
}  // namespace veltra
