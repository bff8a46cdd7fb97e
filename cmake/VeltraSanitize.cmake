# VELTRA_SANITIZE builds every target of the tree with AddressSanitizer (leak
# checking included) and UndefinedBehaviorSanitizer. float-cast-overflow is not
# part of "undefined", yet a NaN or huge float cast to int is exactly what
# hostile positions would trigger, so it is named on its own. Every finding
# stops the program: a sanitizer that only prints would let ctest pass.
#
# VELTRA_FUZZ (clang only) adds libFuzzer's coverage instrumentation to every
# object and builds the targets of tests/fuzz; it implies VELTRA_SANITIZE.
option(VELTRA_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(VELTRA_FUZZ "Build the libFuzzer targets of tests/fuzz (needs clang)" OFF)

if(VELTRA_SANITIZE OR VELTRA_FUZZ)
  if(MSVC OR WIN32)
    message(FATAL_ERROR "VELTRA_SANITIZE and VELTRA_FUZZ need gcc or clang on a Unix-like host")
  endif()
  set(_veltra_sanitizers -fsanitize=address,undefined,float-cast-overflow -fno-sanitize-recover=all)
  # Global rather than on veltra_options: test, demo and tool targets that
  # someone adds later are covered without having to remember it.
  add_compile_options(${_veltra_sanitizers} -fno-omit-frame-pointer)
  add_link_options(${_veltra_sanitizers})
endif()

if(VELTRA_FUZZ)
  include(CheckCXXSourceCompiles)
  set(CMAKE_REQUIRED_LINK_OPTIONS -fsanitize=fuzzer)
  check_cxx_source_compiles([[
    #include <cstddef>
    #include <cstdint>
    extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t*, std::size_t) { return 0; }
  ]] VELTRA_HAVE_LIBFUZZER)
  unset(CMAKE_REQUIRED_LINK_OPTIONS)
  if(NOT VELTRA_HAVE_LIBFUZZER)
    message(FATAL_ERROR "VELTRA_FUZZ needs a compiler with libFuzzer (-fsanitize=fuzzer), e.g. CXX=clang++")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()
