# Compile options every project target shares. The helpers and the physics
# round by an exact rule, so no fused multiply-add and no fast-math anywhere.
add_library(veltra_options INTERFACE)
if(MSVC)
  target_compile_options(veltra_options INTERFACE /W4 /fp:strict)
else()
  target_compile_options(veltra_options INTERFACE -Wall -Wextra -Wpedantic -ffp-contract=off -fno-fast-math)
  if(CMAKE_SYSTEM_PROCESSOR MATCHES "i.86")
    # x87 registers would carry extra precision past each rounding step.
    target_compile_options(veltra_options INTERFACE -msse2 -mfpmath=sse)
  endif()
endif()
