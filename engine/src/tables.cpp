#include "tables.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "physics.h"
#include "veltra/veltra.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace veltra {
namespace {
// One translation unit, so they are built in this order and torn down in reverse.
Table<MassRecord> gMasses("mass");
Table<platform::Texture*> gTextures("texture");
Table<platform::Font*> gFonts("font");
Table<platform::Sprite*> gSprites("sprite");
Table<Matrix> gMatrices("matrix");

[[noreturn]] void endProcess() {
  std::fflush(stderr);
#if defined(_WIN32)
  // The status of the C runtime's invalid-parameter termination.
  TerminateProcess(GetCurrentProcess(), 0xC0000417u);
#endif
  std::abort();
}
}  // namespace

Table<MassRecord>& massTable() { return gMasses; }
Table<platform::Texture*>& textureTable() { return gTextures; }
Table<platform::Font*>& fontTable() { return gFonts; }
Table<platform::Sprite*>& spriteTable() { return gSprites; }
Table<Matrix>& matrixTable() { return gMatrices; }

namespace detail {
void badHandle(const char* table, int handle, std::size_t length) {
  std::fprintf(stderr, "veltra: bad %s handle %d (the table holds %zu)\n", table, handle, length);
  endProcess();
}

void vwarn(const char* format, std::va_list args) {
  std::fputs("veltra: ", stderr);
  std::vfprintf(stderr, format, args);
  std::fputc('\n', stderr);
}

void badArgument(const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  vwarn(format, args);
  va_end(args);
  endProcess();
}

void resetTables() {
  gMasses.reset();
  gTextures.reset();
  gFonts.reset();
  gSprites.reset();
  gMatrices.reset();
  forgetContacts();
}
}  // namespace detail
}  // namespace veltra

void vLInitialize() {
  using namespace veltra;
  constexpr std::size_t kReserve = 50;
  gMasses.reserveAtLeast(kReserve);
  gTextures.reserveAtLeast(kReserve);
  gFonts.reserveAtLeast(kReserve);
  gSprites.reserveAtLeast(kReserve);
  gMatrices.reserveAtLeast(kReserve);
}
