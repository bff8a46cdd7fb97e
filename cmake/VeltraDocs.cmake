# The HTML API reference, built by Doxygen from the public header and the
# pages under docs/ when Doxygen is installed: target `docs`, part of the build
# and installed under share/doc/veltra/html unless VELTRA_BUILD_DOCS is off.
# Doxygen fails on any public name left undocumented (the api_docs test).
find_package(Doxygen QUIET)
if(NOT DOXYGEN_FOUND)
  add_custom_target(docs COMMAND ${CMAKE_COMMAND} -E echo "doxygen not found: install it to build the API reference")
  return()
endif()
option(VELTRA_BUILD_DOCS "Build the API reference with everything else, and install it" ON)

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
# The reference opens on what a newcomer needs first, not on an empty page.
set(DOXYGEN_USE_MDFILE_AS_MAINPAGE ${PROJECT_SOURCE_DIR}/docs/reference.md)
set(_veltra_doc_inputs ${PROJECT_SOURCE_DIR}/engine/include/veltra/veltra.h ${PROJECT_SOURCE_DIR}/docs/reference.md
                       ${PROJECT_SOURCE_DIR}/docs/architecture.md ${PROJECT_SOURCE_DIR}/docs/performance.md)
file(GLOB _veltra_doc_images ${PROJECT_SOURCE_DIR}/docs/*.svg ${PROJECT_SOURCE_DIR}/docs/*.png)

# Writes Doxyfile.api_reference (and a target of that name that always reruns).
doxygen_add_docs(api_reference ${_veltra_doc_inputs})
set(VELTRA_DOXYFILE ${PROJECT_BINARY_DIR}/Doxyfile.api_reference)
set(_veltra_doc_index ${DOXYGEN_OUTPUT_DIRECTORY}/html/index.html)
add_custom_command(OUTPUT ${_veltra_doc_index}
  COMMAND Doxygen::doxygen ${VELTRA_DOXYFILE}
  DEPENDS ${_veltra_doc_inputs} ${_veltra_doc_images} ${VELTRA_DOXYFILE}
  WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
  COMMENT "Building the API reference in ${DOXYGEN_OUTPUT_DIRECTORY}/html")
if(NOT VELTRA_BUILD_DOCS)
  add_custom_target(docs DEPENDS ${_veltra_doc_index})
  return()
endif()
add_custom_target(docs ALL DEPENDS ${_veltra_doc_index})
# Under the package's name, as Debian's documentation folders go.
install(DIRECTORY ${DOXYGEN_OUTPUT_DIRECTORY}/html/
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${CPACK_PACKAGE_NAME}/html)
