// Before any header: MinGW then gives the C99 printf the formats are checked
// against, not the system one, which prints "%zu" as "zu".
#if defined(__MINGW32__) && !defined(__USE_MINGW_ANSI_STDIO)
#define __USE_MINGW_ANSI_STDIO 1
#endif

#include "log.h"

#include <cstdio>
#include <set>
#include <string>

namespace veltra {

void vwarn(const char* format, std::va_list args) {
  std::fputs("veltra: ", stderr);
  std::vfprintf(stderr, format, args);
  std::fputc('\n', stderr);
}

void warn(const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  vwarn(format, args);
  va_end(args);
}

void warnOnce(const char* cause, const char* format, ...) {
  static auto* seen = new std::set<std::string>;  // never torn down: a backend may warn during exit
  if (!seen->insert(cause).second) return;
  std::va_list args;
  va_start(args, format);
  vwarn(format, args);
  va_end(args);
}

}  // namespace veltra
