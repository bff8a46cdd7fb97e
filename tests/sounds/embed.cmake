# chord.ogg, the one committed sound: 0.4 s of stereo at 44.1 kHz (a
# triangle A4 on the left, a saw E5 on the right, from tools::tone) written
# with tools::writeWav and encoded by oggenc 1.4.2 (vorbis-tools) with
# `oggenc -q 0 --serial 7`. Committed rather than encoded at build time, as
# another encoder version would write other bytes and move the mix hash.
#
# veltra_embed_chord_ogg(target): compiles the file's bytes into `target` as
# kChordOgg / kChordOggSize (tests/sounds/chord_ogg.h), so every target (a
# Windows program under Wine, WebAssembly under node) has them without a path.
function(veltra_embed_chord_ogg target)
  set(ogg ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/chord.ogg)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${target}_chord_ogg.cpp)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${ogg})
  file(READ ${ogg} hex HEX)
  file(SIZE ${ogg} size)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  file(CONFIGURE OUTPUT ${out} CONTENT "#include \"chord_ogg.h\"
const unsigned char kChordOgg[] = {${bytes}};
const std::size_t kChordOggSize = ${size};
")
  target_sources(${target} PRIVATE ${out})
  target_include_directories(${target} PRIVATE ${CMAKE_CURRENT_FUNCTION_LIST_DIR})
endfunction()
