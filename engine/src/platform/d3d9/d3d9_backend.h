// What the Direct3D 9 backend offers beyond the platform contract: the
// device it made, and a copy of the back buffer for screenshots and tests.
#pragma once

#include <cstdint>
#include <vector>

struct IDirect3DDevice9;

namespace veltra {
namespace platform {
namespace d3d9 {

IDirect3DDevice9* device();

struct Image {
  int width = 0, height = 0;
  std::vector<std::uint32_t> argb;  // row by row from the top; alpha forced to 255 on X8 targets
  std::uint32_t at(int x, int y) const { return argb[static_cast<std::size_t>(y) * width + x]; }
};

// Copies the back buffer as it stands; false (and one "veltra: " line) when there is none.
bool readBackBuffer(Image& out);

}  // namespace d3d9
}  // namespace platform
}  // namespace veltra
