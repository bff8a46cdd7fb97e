# Installs Brickfall: the program in a private folder, its pictures in the
# data folder, a launcher on the path that starts it there, and a desktop entry;
# on Windows, the program and its pictures beside Veltra.dll.
if(NOT TARGET brickfall)
  return()
endif()
get_target_property(_brickfall_build_dir brickfall RUNTIME_OUTPUT_DIRECTORY)
list(TRANSFORM BRICKFALL_PICTURE_NAMES PREPEND ${_brickfall_build_dir}/ OUTPUT_VARIABLE _brickfall_pictures)

# On Windows the game is one folder: Brickfall.exe started from it finds
# Veltra.dll and its pictures beside itself.
if(WIN32)
  install(TARGETS brickfall RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${_brickfall_pictures} DESTINATION ${CMAKE_INSTALL_BINDIR})
  return()
endif()

set(BRICKFALL_PROGRAM_DIR ${CMAKE_INSTALL_LIBDIR}/brickfall)
set(BRICKFALL_DATA_DIR ${CMAKE_INSTALL_DATADIR}/brickfall)

# The program finds libVeltra beside its own folder wherever the prefix lies.
file(RELATIVE_PATH _brickfall_to_lib ${CMAKE_INSTALL_PREFIX}/${BRICKFALL_PROGRAM_DIR}
     ${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR})
set_target_properties(brickfall PROPERTIES INSTALL_RPATH "$ORIGIN/${_brickfall_to_lib}")
install(TARGETS brickfall RUNTIME DESTINATION ${BRICKFALL_PROGRAM_DIR})

install(FILES ${_brickfall_pictures} DESTINATION ${BRICKFALL_DATA_DIR})
install(FILES ${_brickfall_build_dir}/${BRICKFALL_BALL_PICTURE} DESTINATION ${CMAKE_INSTALL_DATADIR}/pixmaps RENAME brickfall.png)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/brickfall.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

get_target_property(_brickfall_name brickfall OUTPUT_NAME)
file(RELATIVE_PATH BRICKFALL_TO_DATA ${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}
     ${CMAKE_INSTALL_PREFIX}/${BRICKFALL_DATA_DIR})
file(RELATIVE_PATH BRICKFALL_TO_PROGRAM ${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}
     ${CMAKE_INSTALL_PREFIX}/${BRICKFALL_PROGRAM_DIR}/${_brickfall_name})
configure_file(${PROJECT_SOURCE_DIR}/packaging/brickfall.in ${PROJECT_BINARY_DIR}/brickfall-launcher @ONLY)
install(PROGRAMS ${PROJECT_BINARY_DIR}/brickfall-launcher DESTINATION ${CMAKE_INSTALL_BINDIR} RENAME brickfall)
