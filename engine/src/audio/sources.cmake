# The backend-free sound core (decoders, resampler, mixer), listed once: the
# engine builds it, and so do the checks that mix without the engine around
# it (the determinism test, the WebAssembly mix run under node).

# The headers of Debian's libstb-dev hold no target code, so every target
# (also mingw-w64 and emscripten) reads them from the build host.
find_path(VELTRA_STB_INCLUDE_DIR stb/stb_vorbis.h PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH)
if(NOT VELTRA_STB_INCLUDE_DIR)
  message(FATAL_ERROR "stb/stb_vorbis.h not found: install Debian's libstb-dev (scripts/install-deps.sh)")
endif()

# Adds the sound core to `target`. The decoder's folder is a system one, so
# its warnings stay off; they are its own, not the engine's.
function(veltra_add_audio_sources target)
  set(dir ${CMAKE_CURRENT_FUNCTION_LIST_DIR})
  target_sources(${target} PRIVATE ${dir}/decode.cpp ${dir}/mixer.cpp ${dir}/ogg.cpp ${dir}/resample.cpp
                                   ${dir}/stb_vorbis.c ${dir}/vorbis_samples.cpp ${dir}/wav.cpp)
  target_include_directories(${target} SYSTEM PRIVATE ${VELTRA_STB_INCLUDE_DIR}/stb)
  target_include_directories(${target} PRIVATE ${dir}/..)
endfunction()
