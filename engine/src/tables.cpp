#include "tables.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "log.h"
#include "physics.h"
#include "veltra/veltra.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace veltra {
namespace {
// One translation unit, so they are built in this order and torn down in reverse.
Table<MassRecord> gMasses({"mass", "vLPhysX", "NewPhysX"});
Table<platform::Texture*> gTextures({"texture", "material", "LoadTexture"});
Table<platform::Font*> gFonts({"font", "material", "CreateFontA"});
Table<platform::Sprite*> gSprites({"sprite", "material", "CreateSprite"});
Table<Matrix> gMatrices({"matrix", "vLMatrix", "NewMatrix"});

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
void badHandle(const TableNames& names, int handle, std::size_t length, const char* call) {
  // -1 is what every handle holds before its creation call has run.
  if (handle == -1)
    warn("%s%sthe %s has no %s (handle -1): call %s() first", call ? call : "", call ? ": " : "", names.owner,
         names.item, names.creator);
  else
    warn("bad %s handle %d (the table holds %zu)", names.item, handle, length);
  endProcess();
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
