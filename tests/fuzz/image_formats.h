// The file name extensions the image fuzz target picks from by its first
// byte. The engine goes by the content alone; the names show that they do
// not matter, and name the seeds' formats.
#pragma once

namespace veltra::fuzz {

inline const char* const kImageExtensions[] = {"png", "bmp", "jpg", "gif", "tga", "qoi", "webp", "tif", "pcx",
                                               "pnm", "xpm", "lbm", "xcf", "svg", "xv",  "ico",  "cur", "dat"};
constexpr int kImageExtensionCount = sizeof kImageExtensions / sizeof *kImageExtensions;

}  // namespace veltra::fuzz
