// For backends with no fixed-function pipeline: they draw sprites and text
// unlit, in call order, with no depth buffer, no scene brackets and no texture
// stages (every draw names its texture), so these states have nothing to set.
#include "platform/platform.h"

namespace veltra {
namespace platform {

void setLighting(std::uint32_t) {}
void setDepthTest(bool) {}
void beginScene() {}
void endScene() {}
void bindTexture(Texture*) {}

}  // namespace platform
}  // namespace veltra
