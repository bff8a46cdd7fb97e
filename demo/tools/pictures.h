// The game's three pictures, drawn in code so no image is kept in the repo.
#pragma once

#include "png_writer.h"

namespace brickfall {

Image blockPicture();   // 40 x 20 bevelled brick, opaque but for its rounded corners
Image paddlePicture();  // 150 x 20 rounded metal bar
Image ballPicture();    // 14 x 14 shaded ball with soft edges

}  // namespace brickfall
