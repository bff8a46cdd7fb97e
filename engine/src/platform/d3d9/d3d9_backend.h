// What the Direct3D 9 backend's files share: the device it made, and its
// reasons for failures in words.
#pragma once

#include <d3d9.h>

#include <string>

namespace veltra {
namespace platform {
namespace d3d9 {

IDirect3DDevice9* device();
// "invalid call (0x8876086C)"
std::string reason(HRESULT hr);

}  // namespace d3d9
}  // namespace platform
}  // namespace veltra
