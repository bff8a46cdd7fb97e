/* The Ogg Vorbis decoder, compiled here once; the rest of the engine sees
   only its declarations (audio/ogg.cpp). Files come from memory, never
   through stdio. Its folder is included as a system one (see sources.cmake),
   which keeps the decoder's own warnings off. */
#define STB_VORBIS_NO_STDIO
#define STB_VORBIS_NO_PUSHDATA_API
#include <stb_vorbis.h>
