# Runs the Windows build's test programs under Wine: one session per build
# folder (private prefix, own Xvfb display, persistent wineserver), set up
# and torn down by the ctest fixture "wine". Needs wine and Xvfb on the host.
find_program(VELTRA_WINE wine)
find_program(VELTRA_XVFB Xvfb)
if(NOT VELTRA_WINE OR NOT VELTRA_XVFB)
  message(STATUS "Wine or Xvfb not found: the Windows tests are not registered")
  set(VELTRA_HAVE_WINE OFF)
  return()
endif()
set(VELTRA_HAVE_WINE ON)
set(VELTRA_WINE_RUN ${PROJECT_SOURCE_DIR}/scripts/wine-run.sh ${CMAKE_BINARY_DIR})

add_test(NAME wine_session_start COMMAND ${PROJECT_SOURCE_DIR}/scripts/wine-session.sh start ${CMAKE_BINARY_DIR})
add_test(NAME wine_session_stop COMMAND ${PROJECT_SOURCE_DIR}/scripts/wine-session.sh stop ${CMAKE_BINARY_DIR})
set_tests_properties(wine_session_start PROPERTIES FIXTURES_SETUP wine LABELS windows)
set_tests_properties(wine_session_stop PROPERTIES FIXTURES_CLEANUP wine LABELS windows)

# veltra_wine_test(name program [args...]): `program` runs under Wine in the session.
function(veltra_wine_test name)
  add_test(NAME ${name} COMMAND ${VELTRA_WINE_RUN} ${ARGN})
  set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine LABELS windows TIMEOUT 300)
endfunction()
