/* The Ogg Vorbis decoder, compiled here once; the rest of the engine sees
   only its declarations (audio/ogg.cpp). Files come from memory, never
   through stdio. Its folder is included as a system one (see sources.cmake),
   which keeps the decoder's own warnings off. */
#include <math.h>

/* The decoder casts floor() of powers taken from a file's setup header to
   int, which is undefined once a hostile header makes them huge. Clamped to
   +-2^30 they stay in range (and one more can be added); every valid file's
   values lie far inside it, so its samples do not change. */
static double clampedFloor(double x) {
  if (x != x) return 0;
  if (x > 1073741824.0) return 1073741824.0;
  if (x < -1073741824.0) return -1073741824.0;
  return floor(x);
}
#define floor clampedFloor

#define STB_VORBIS_NO_STDIO
#define STB_VORBIS_NO_PUSHDATA_API
#include <stb_vorbis.h>
