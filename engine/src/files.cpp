#include "files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace veltra {

std::string unreadableFile(const char* path) {
  // Only regular files: a folder fails late and obscurely, a FIFO would block
  // the open until someone writes to it.
  struct stat info;
  if (stat(path, &info) != 0) return std::strerror(errno);
  if (S_ISDIR(info.st_mode)) return "it is a folder";
  if (!S_ISREG(info.st_mode)) return "not a regular file";
  if (access(path, R_OK) != 0) return std::strerror(errno);
  return {};
}

}  // namespace veltra
