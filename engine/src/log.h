// The one way the engine prints: a line on stderr that starts "veltra: ".
#pragma once

#include <cstdarg>

// Checked as C99 formats everywhere: on Windows log.cpp prints with
// MinGW's own C99 printf, since the system one has no %zu.
#if defined(__MINGW32__)
#define VELTRA_PRINTF(fmt, first) __attribute__((format(gnu_printf, fmt, first)))
#elif defined(__GNUC__)
#define VELTRA_PRINTF(fmt, first) __attribute__((format(printf, fmt, first)))
#else
#define VELTRA_PRINTF(fmt, first)
#endif

namespace veltra {

void warn(const char* format, ...) VELTRA_PRINTF(1, 2);
// The same, but only the first time `cause` is met: what can repeat every
// frame must not flood the log.
void warnOnce(const char* cause, const char* format, ...) VELTRA_PRINTF(2, 3);
void vwarn(const char* format, std::va_list args);

// A message every backend can give, written here once. Backends pass the
// reasons that are their own (an SDL error, an HRESULT) as plain text.
namespace message {
constexpr const char* kNoDevice = "no device yet";
constexpr const char* kNoWindow = "no window given";
constexpr const char* kNoFileName = "no file name given";
constexpr const char* kNoFaceName = "no face name given";
constexpr const char* kStaleTexture = "a texture made on an earlier device is not drawn: load it again";
constexpr const char* kNoTitle = "no title given";
constexpr const char* kWindowOpen = "a window is already open: call vLCloseWindow() first";
constexpr const char* kNoWindowOpen = "vLPollEvents: no window is open: call vLOpenWindow() first";
constexpr const char* kDisplayGone = "the display has gone away: the window is closed";
}  // namespace message

}  // namespace veltra
