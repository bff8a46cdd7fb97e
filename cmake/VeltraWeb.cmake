# How the web build makes its programs: tools and tests that run in node, and
# pages that run in the browser.

# A program run by node with the machine's own files (the build's tools, the
# tests that need no browser).
function(veltra_web_node_program target)
  target_link_options(${target} PRIVATE -sENVIRONMENT=node -sNODERAWFS=1 -sWASM_ASYNC_COMPILATION=0 -sEXIT_RUNTIME=1)
  veltra_web_quick_link(${target})
endfunction()

# Links with little of emcc's whole-program optimising, which costs a minute
# a program on a busy machine: for tools and tests, whose code is still
# compiled optimised.
function(veltra_web_quick_link target)
  target_link_options(${target} PRIVATE -O1)
endfunction()

# A page, <target>.html with its .js and .wasm, in the target's folder: the
# files it opens by relative name (FILES) are fetched beside it, and the
# shipped font is registered under each face name it asks for (FACES). A game
# with a frame loop (MAIN_LOOP) lets the page run it off the display's pace,
# as the tests do for 10,000 frames.
set(VELTRA_WEB_FONT /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf)
function(veltra_web_page target)
  cmake_parse_arguments(PAGE "MAIN_LOOP" "" "FILES;FACES" ${ARGN})
  if(PAGE_MAIN_LOOP)
    target_link_options(${target} PRIVATE -sEXPORTED_FUNCTIONS=_main,_emscripten_set_main_loop_timing)
  endif()
  # JavaScript lists of the names, each quoted.
  list(TRANSFORM PAGE_FILES REPLACE "(.+)" "\"\\1\"" OUTPUT_VARIABLE _files)
  list(TRANSFORM PAGE_FACES REPLACE "(.+)" "\"\\1\"" OUTPUT_VARIABLE _faces)
  list(JOIN _files ", " _files)
  list(JOIN _faces ", " _faces)
  get_filename_component(_font ${VELTRA_WEB_FONT} NAME)
  set(_pre ${CMAKE_CURRENT_BINARY_DIR}/${target}_page.js)
  file(GENERATE OUTPUT ${_pre} CONTENT "Module['veltraFiles'] = [${_files}];\nModule['veltraFaces'] = [${_faces}];
Module['veltraFontFile'] = '${_font}';\n")
  set(_web ${PROJECT_SOURCE_DIR}/engine/src/platform/web)
  set_target_properties(${target} PROPERTIES SUFFIX .html LINK_DEPENDS "${_web}/page.html;${_web}/web_page.js;${_pre}")
  target_link_options(${target} PRIVATE -sENVIRONMENT=web -sMINIFY_HTML=0 -sEXIT_RUNTIME=1
                      "SHELL:--shell-file ${_web}/page.html" "SHELL:--pre-js ${_pre}")
  add_custom_command(TARGET ${target} POST_BUILD
                     COMMAND ${CMAKE_COMMAND} -E copy_if_different ${VELTRA_WEB_FONT} $<TARGET_FILE_DIR:${target}>/${_font})
endfunction()
