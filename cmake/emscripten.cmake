# Build for the browser with Debian's emscripten (package emscripten). Use with
#   cmake --preset web     or     -DCMAKE_TOOLCHAIN_FILE=cmake/emscripten.cmake
# Debian's emscripten ships its system libraries prebuilt in a read-only
# cache inside the package: leave EM_CACHE alone, or they are rebuilt for
# about 20 minutes.
include(/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake)

# emcc's JavaScript optimiser needs Debian's node modules, which the installed
# node does not look in by itself; every compile and link runs with them.
set(_veltra_node_path env NODE_PATH=/usr/share/nodejs)
set(CMAKE_C_COMPILER_LAUNCHER ${_veltra_node_path})
set(CMAKE_CXX_COMPILER_LAUNCHER ${_veltra_node_path})
set(CMAKE_C_LINKER_LAUNCHER ${_veltra_node_path})
set(CMAKE_CXX_LINKER_LAUNCHER ${_veltra_node_path})
