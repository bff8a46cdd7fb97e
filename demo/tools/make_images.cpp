// Writes the game's pictures into the folder given, where the game opens them.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "brickfall_names.h"
#include "pictures.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_images OUTPUT_FOLDER\n");
    return 2;
  }
  const std::string folder = argv[1];
  struct Picture {
    const char* name;
    brickfall::Image image;
  } pictures[] = {{brickfall::kBlockPicture, brickfall::blockPicture()},
                  {brickfall::kPaddlePicture, brickfall::paddlePicture()},
                  {brickfall::kBallPicture, brickfall::ballPicture()}};
  for (const Picture& p : pictures) {
    const std::string path = folder + "/" + p.name;
    if (!brickfall::writePng(path, p.image)) {
      std::fprintf(stderr, "make_images: cannot write \"%s\": %s\n", path.c_str(), std::strerror(errno));
      return 1;
    }
  }
  return 0;
}
