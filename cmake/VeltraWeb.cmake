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
  set(_list "")
  foreach(_name IN LISTS PAGE_FILES)
    string(APPEND _list "\"${_name}\", ")
  endforeach()
  set(_faces "")
  foreach(_face IN LISTS PAGE_FACES)
    string(APPEND _faces "\"${_face}\", ")
  endforeach()
  set(_pre ${CMAKE_CURRENT_BINARY_DIR}/${target}_page.js)
  file(GENERATE OUTPUT ${_pre} CONTENT "Module['veltraFiles'] = [${_list}];\nModule['veltraFaces'] = [${_faces}];\n")
  set_target_properties(${target} PROPERTIES SUFFIX .html LINK_DEPENDS
                        "${PROJECT_SOURCE_DIR}/engine/src/platform/web/page.html;${_pre}")
  target_link_options(${target} PRIVATE -sENVIRONMENT=web -sMINIFY_HTML=0 -sEXIT_RUNTIME=1
                      "SHELL:--shell-file ${PROJECT_SOURCE_DIR}/engine/src/platform/web/page.html"
                      "SHELL:--pre-js ${_pre}")
  get_filename_component(_font ${VELTRA_WEB_FONT} NAME)
  add_custom_command(TARGET ${target} POST_BUILD
                     COMMAND ${CMAKE_COMMAND} -E copy_if_different ${VELTRA_WEB_FONT} $<TARGET_FILE_DIR:${target}>/${_font})
endfunction()
