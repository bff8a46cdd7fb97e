# The graphics backend, chosen at build time: one folder under
# engine/src/platform/ behind the platform contract. The engine, the public
# header (through the generated veltra/backend.h), the demo and the tests all
# follow this one switch.
set(VELTRA_BACKENDS sdl d3d9 none)
if(WIN32)
  set(_veltra_default_backend d3d9)
else()
  set(_veltra_default_backend sdl)
endif()
set(VELTRA_BACKEND ${_veltra_default_backend} CACHE STRING "Graphics backend: one of ${VELTRA_BACKENDS}")
set_property(CACHE VELTRA_BACKEND PROPERTY STRINGS ${VELTRA_BACKENDS})
list(JOIN VELTRA_BACKENDS ", " _veltra_choices)
if(NOT VELTRA_BACKEND IN_LIST VELTRA_BACKENDS)
  message(FATAL_ERROR "VELTRA_BACKEND \"${VELTRA_BACKEND}\" is not a backend: choose one of ${_veltra_choices}")
endif()
if(VELTRA_BACKEND STREQUAL "d3d9" AND NOT WIN32)
  message(FATAL_ERROR "VELTRA_BACKEND d3d9 builds for Windows only: use the windows-cross preset")
endif()

# What each backend can do, for the folders that follow the switch.
set(VELTRA_HAS_GRAPHICS ON)
if(VELTRA_BACKEND STREQUAL "none")
  set(VELTRA_HAS_GRAPHICS OFF)
endif()
string(TOUPPER "${VELTRA_BACKEND}" VELTRA_BACKEND_UPPER)
configure_file(${CMAKE_CURRENT_LIST_DIR}/backend.h.in ${PROJECT_BINARY_DIR}/include/veltra/backend.h @ONLY)
