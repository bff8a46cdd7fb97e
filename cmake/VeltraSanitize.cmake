# VELTRA_SANITIZE builds every target of the tree with AddressSanitizer (leak
# checking included) and UndefinedBehaviorSanitizer. float-cast-overflow is not
# part of "undefined", yet a NaN or huge float cast to int is exactly what
# hostile positions would trigger, so it is named on its own. Every finding
# stops the program: a sanitizer that only prints would let ctest pass.
option(VELTRA_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)

if(VELTRA_SANITIZE)
  if(MSVC OR WIN32)
    message(FATAL_ERROR "VELTRA_SANITIZE needs gcc or clang on a Unix-like host")
  endif()
  set(_veltra_sanitizers -fsanitize=address,undefined,float-cast-overflow -fno-sanitize-recover=all)
  # Global rather than on veltra_options: test, demo and tool targets that
  # someone adds later are covered without having to remember it.
  add_compile_options(${_veltra_sanitizers} -fno-omit-frame-pointer)
  add_link_options(${_veltra_sanitizers})
endif()

