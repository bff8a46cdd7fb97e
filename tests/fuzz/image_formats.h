// The file name extensions the image fuzz target picks from by its first
// byte: some formats are known only by the name's extension.
#pragma once

namespace veltra::fuzz {

inline const char* const kImageExtensions[] = {"png", "bmp", "jpg", "gif", "tga", "qoi", "webp", "tif", "pcx",
                                               "pnm", "xpm", "lbm", "xcf", "svg", "xv",  "ico",  "cur", "dat"};
constexpr int kImageExtensionCount = sizeof kImageExtensions / sizeof *kImageExtensions;

}  // namespace veltra::fuzz
