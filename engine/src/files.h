// Checks a file before any backend or decoder opens it.
#pragma once

#include <string>

namespace veltra {

// Why `path` cannot be read as a file (missing, a folder, a device or FIFO that
// would block, unreadable), or an empty string when it can.
std::string unreadableFile(const char* path);

}  // namespace veltra
