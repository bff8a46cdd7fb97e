# Cross build for 64-bit Windows with the Debian mingw-w64 compilers
# (packages mingw-w64, g++-mingw-w64-x86-64). Use with
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(_veltra_mingw x86_64-w64-mingw32)
# The posix thread model: GoogleTest needs std::mutex, which the win32 model lacks.
set(CMAKE_C_COMPILER ${_veltra_mingw}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_veltra_mingw}-g++-posix)
set(CMAKE_RC_COMPILER ${_veltra_mingw}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${_veltra_mingw})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Veltra.dll and Brickfall.exe must run without the compiler's runtime DLLs:
# libgcc, libstdc++ and winpthread go in statically; system DLLs stay imports.
set(_veltra_static "-static -static-libgcc -static-libstdc++")
set(CMAKE_EXE_LINKER_FLAGS_INIT ${_veltra_static})
set(CMAKE_SHARED_LINKER_FLAGS_INIT ${_veltra_static})
set(CMAKE_MODULE_LINKER_FLAGS_INIT ${_veltra_static})
