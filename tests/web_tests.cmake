# The web build's tests: the determinism hashes in node, and the pixel suite
# with what only the web backend does as one page for headless Chromium,
# where scripts/web_driver.py also plays both games.
add_executable(determinism_test determinism_test.cpp sound_script.cpp)
target_link_libraries(determinism_test PRIVATE brickfall_rules wav_writer veltra_options GTest::gtest_main)
veltra_add_audio_sources(determinism_test)
veltra_embed_chord_ogg(determinism_test)
veltra_web_node_program(determinism_test)
add_test(NAME Web.DeterminismInNode COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:determinism_test>)

add_executable(web_pixels pixel_suite.cpp web_backend_test.cpp headless_web.cpp)
target_link_libraries(web_pixels PRIVATE veltra_core brickfall_pictures wav_writer GTest::gtest_main)
veltra_embed_chord_ogg(web_pixels)
target_include_directories(web_pixels PRIVATE ${PROJECT_SOURCE_DIR}/engine/src ${CMAKE_CURRENT_SOURCE_DIR})
target_include_directories(web_pixels SYSTEM PRIVATE /usr/include/stb)
veltra_web_page(web_pixels FACES Verdana)
veltra_web_quick_link(web_pixels)

find_program(VELTRA_CHROMIUM NAMES chromium chromium-browser)
if(VELTRA_CHROMIUM)
  add_test(NAME Web.InHeadlessChromium
           COMMAND /usr/bin/python3 ${CMAKE_CURRENT_SOURCE_DIR}/web_e2e.py ${PROJECT_BINARY_DIR})
  set_tests_properties(Web.InHeadlessChromium PROPERTIES LABELS web TIMEOUT 900)
endif()
set_property(TEST Web.DeterminismInNode APPEND PROPERTY ENVIRONMENT TMPDIR=${VELTRA_TEST_TMPDIR})
if(VELTRA_CHROMIUM)
  set_property(TEST Web.InHeadlessChromium APPEND PROPERTY ENVIRONMENT TMPDIR=${VELTRA_TEST_TMPDIR})
endif()
