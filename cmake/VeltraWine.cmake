# Runs the Windows build's programs under Wine, in a private prefix of the
# build folder (see scripts/wine-run.sh): the build's own tools through
# CMAKE_CROSSCOMPILING_EMULATOR, and the tests in a session (own Xvfb
# display, persistent wineserver) that the ctest fixture "wine" starts and stops.
find_program(VELTRA_WINE wine)
find_program(VELTRA_XVFB Xvfb)
if(NOT VELTRA_WINE)
  message(WARNING "Wine not found: the Windows build cannot run its tools or tests")
  set(VELTRA_HAVE_WINE OFF)
  return()
endif()
set(VELTRA_WINE_RUN ${PROJECT_SOURCE_DIR}/scripts/wine-run.sh ${CMAKE_BINARY_DIR})
set(CMAKE_CROSSCOMPILING_EMULATOR ${VELTRA_WINE_RUN})
if(VELTRA_XVFB)
  set(VELTRA_HAVE_WINE ON)
else()
  message(WARNING "Xvfb not found: the Windows tests are not registered")
  set(VELTRA_HAVE_WINE OFF)
endif()

# Call once where the tests are added.
function(veltra_wine_session)
  add_test(NAME wine_session_start COMMAND ${PROJECT_SOURCE_DIR}/scripts/wine-session.sh start ${CMAKE_BINARY_DIR})
  add_test(NAME wine_session_stop COMMAND ${PROJECT_SOURCE_DIR}/scripts/wine-session.sh stop ${CMAKE_BINARY_DIR})
  set_tests_properties(wine_session_start PROPERTIES FIXTURES_SETUP wine LABELS windows)
  set_tests_properties(wine_session_stop PROPERTIES FIXTURES_CLEANUP wine LABELS windows)
endfunction()

# veltra_wine_test(name program [args...]): `program` runs under Wine in the session.
function(veltra_wine_test name)
  add_test(NAME ${name} COMMAND ${VELTRA_WINE_RUN} ${ARGN})
  set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine LABELS windows TIMEOUT 300)
endfunction()
