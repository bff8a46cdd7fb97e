# `docs` builds the API reference from the public header with Doxygen, when
# it is installed; the api_docs test fails on anything public left undocumented.
find_package(Doxygen QUIET)
if(DOXYGEN_FOUND)
  set(DOXYGEN_PROJECT_NAME Veltra)
  set(DOXYGEN_PROJECT_NUMBER ${PROJECT_VERSION})
  set(DOXYGEN_PROJECT_BRIEF "${PROJECT_DESCRIPTION}")
  set(DOXYGEN_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/docs)
  set(DOXYGEN_GENERATE_LATEX NO)
  set(DOXYGEN_QUIET YES)
  set(DOXYGEN_WARN_IF_UNDOCUMENTED YES)
  set(DOXYGEN_WARN_AS_ERROR FAIL_ON_WARNINGS)
  set(DOXYGEN_ENABLE_PREPROCESSING YES)
  set(DOXYGEN_MACRO_EXPANSION YES)
  set(DOXYGEN_PREDEFINED VELTRA_API= VELTRA_BACKEND_SDL=1)
  set(DOXYGEN_EXCLUDE_SYMBOLS VELTRA_API)
  set(DOXYGEN_IMAGE_PATH ${PROJECT_SOURCE_DIR}/docs)
  set(DOXYGEN_FULL_PATH_NAMES NO)
  doxygen_add_docs(docs ${PROJECT_SOURCE_DIR}/engine/include/veltra/veltra.h ${PROJECT_SOURCE_DIR}/docs/architecture.md
    ${PROJECT_SOURCE_DIR}/docs/performance.md
    COMMENT "Building the API reference in ${PROJECT_BINARY_DIR}/docs/html")
else()
  add_custom_target(docs COMMAND ${CMAKE_COMMAND} -E echo "doxygen not found: install it to build the API reference")
endif()
