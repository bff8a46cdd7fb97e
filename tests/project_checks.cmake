# Checks of the tree and of what it installs, rather than of engine code.
# The native build runs them once; the sanitizer and cross builds would only
# repeat them (and an outside program would need the sanitizer runtime).
if(VELTRA_SANITIZE OR CMAKE_CROSSCOMPILING)
  return()
endif()

add_test(NAME format COMMAND ${PROJECT_SOURCE_DIR}/scripts/check-format.sh)
set_tests_properties(format PROPERTIES SKIP_RETURN_CODE 77)

# The second game is written against veltra.h alone: no platform header.
add_test(NAME Flock.IncludesNoPlatformHeader
         COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/example_includes.sh ${PROJECT_SOURCE_DIR}/examples/flock)

# The README's first window compiles against the public header as it stands.
add_test(NAME Readme.FirstWindowCompiles
         COMMAND sh -c "sed -n '/^## Your first window/,/^## /p' \"$1\" | sed -n '/^```cpp/,/^```/p' | sed '1d;$d' >\"$5\" &&
                        grep -q vLOpenWindow \"$5\" && \"$2\" -std=c++17 -fsyntax-only -Wall -Werror -I\"$3\" -I\"$4\" -x c++ \"$5\""
                 sh ${PROJECT_SOURCE_DIR}/README.md ${CMAKE_CXX_COMPILER} ${PROJECT_SOURCE_DIR}/engine/include
                 ${PROJECT_BINARY_DIR}/include ${CMAKE_CURRENT_BINARY_DIR}/first_window.cpp)

# A broken CMakePresets.json only shows when someone picks a preset.
add_test(NAME presets COMMAND ${CMAKE_COMMAND} --list-presets=all WORKING_DIRECTORY ${PROJECT_SOURCE_DIR})
set_tests_properties(presets PROPERTIES
  PASS_REGULAR_EXPRESSION "\"debug\".*\"release\".*\"sanitize\".*\"windows-cross\".*\"web\".*\"debug\".*\"sanitize\".*\"web\"")

# Doxygen fails on any public name of the header left undocumented.
if(VELTRA_DOXYFILE)
  add_test(NAME api_docs COMMAND Doxygen::doxygen ${VELTRA_DOXYFILE} WORKING_DIRECTORY ${PROJECT_SOURCE_DIR})
endif()

# No test may leave files in the system's temporary folder.
add_test(NAME temp_files
         COMMAND ${CMAKE_COMMAND} -DCTEST=${CMAKE_CTEST_COMMAND} -DBUILD_DIR=${PROJECT_BINARY_DIR}
                 -DSOURCE_DIR=${PROJECT_SOURCE_DIR} -DTMPDIR_WANTED=${VELTRA_TEST_TMPDIR}
                 -P ${CMAKE_CURRENT_SOURCE_DIR}/temp_files_check.cmake)

# Installs into a temporary prefix and builds outside programs against it: a
# tiny one, and a copy of the physics sandbox as a user would start from it.
if(TARGET physics_sandbox)
  set(_consumer_example ${PROJECT_SOURCE_DIR}/examples/physics_sandbox)
else()
  set(_consumer_example -)
endif()
set(_consumer_args ${CMAKE_COMMAND} ${CMAKE_CXX_COMPILER} ${CMAKE_GENERATOR} ${PROJECT_VERSION} ${VELTRA_SOVERSION}
                   ${_consumer_example})
if(UNIX AND NOT APPLE)
  add_test(NAME consumer COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/consumer/run.sh ${_consumer_args} --install
                                 ${PROJECT_BINARY_DIR})
  set_tests_properties(consumer PROPERTIES TIMEOUT 300)
endif()

# The second game copied out of the tree, as a starting point, against the install.
if(UNIX AND NOT APPLE AND TARGET flock)
  add_test(NAME Flock.BuildsCopiedOutAgainstTheInstall
           COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/example_copy.sh ${CMAKE_COMMAND} ${CMAKE_CXX_COMPILER} ${CMAKE_GENERATOR}
                   ${PROJECT_BINARY_DIR} ${PROJECT_SOURCE_DIR}/examples/flock)
endif()

# The Debian package: control fields, contents, and the unpacked files in use.
find_program(VELTRA_DPKG_DEB dpkg-deb)
if(UNIX AND NOT APPLE AND VELTRA_DPKG_DEB)
  if(TARGET brickfall)
    set(_with_brickfall 1)
  else()
    set(_with_brickfall 0)
  endif()
  if(VELTRA_DOXYFILE AND VELTRA_BUILD_DOCS)
    set(_with_docs 1)
  else()
    set(_with_docs 0)
  endif()
  add_test(NAME package
    COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/package/check_deb.sh ${CMAKE_CPACK_COMMAND} ${PROJECT_BINARY_DIR}
            ${PROJECT_VERSION} ${VELTRA_SOVERSION} ${_with_brickfall} ${_with_docs} ${_consumer_args})
  # It starts the game on a private X server, so it counts as end to end.
  set_tests_properties(package PROPERTIES TIMEOUT 300 LABELS e2e)
endif()

# The library links with no undefined symbols, so a backend that lacks one
# function of the platform contract fails at the library's own link: leave
# out the file that defines the fixed-function states and see it fail.
if(UNIX AND NOT APPLE AND NOT VELTRA_BACKEND STREQUAL "d3d9")
  add_test(NAME ContractLink.AMissingBackendFunctionFailsTheLibraryLink
           COMMAND ${CMAKE_CXX_COMPILER} -shared -o ${CMAKE_CURRENT_BINARY_DIR}/missing_function.so
                   "$<FILTER:$<TARGET_OBJECTS:veltra_core>,EXCLUDE,fixed_function_none>" -Wl,--no-undefined
           COMMAND_EXPAND_LISTS)
  set_tests_properties(ContractLink.AMissingBackendFunctionFailsTheLibraryLink PROPERTIES
                       PASS_REGULAR_EXPRESSION "undefined reference to `veltra::platform::setLighting")
endif()
