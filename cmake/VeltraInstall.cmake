# Install rules: the public header, the shared library, a CMake package
# (find_package(Veltra CONFIG) -> Veltra::Veltra) and a pkg-config file.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(VELTRA_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Veltra)

install(TARGETS Veltra EXPORT VeltraTargets
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/engine/include/veltra ${PROJECT_BINARY_DIR}/include/veltra
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})

install(EXPORT VeltraTargets NAMESPACE Veltra:: DESTINATION ${VELTRA_CMAKE_DIR})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/VeltraConfig.cmake.in
  ${PROJECT_BINARY_DIR}/VeltraConfig.cmake INSTALL_DESTINATION ${VELTRA_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/VeltraConfigVersion.cmake
  COMPATIBILITY ${VELTRA_COMPATIBILITY})
install(FILES ${PROJECT_BINARY_DIR}/VeltraConfig.cmake ${PROJECT_BINARY_DIR}/VeltraConfigVersion.cmake
  DESTINATION ${VELTRA_CMAKE_DIR})

# The .pc file finds its prefix from its own place, so a staged or moved
# install (cmake --install --prefix, a .deb) stays correct.
file(RELATIVE_PATH _veltra_pc_up ${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig ${CMAKE_INSTALL_PREFIX})
string(REGEX REPLACE "/$" "" _veltra_pc_up "${_veltra_pc_up}")
set(VELTRA_PC_PREFIX "\${pcfiledir}/${_veltra_pc_up}")
foreach(_dir LIBDIR INCLUDEDIR)
  if(IS_ABSOLUTE "${CMAKE_INSTALL_${_dir}}")
    set(VELTRA_PC_${_dir} "${CMAKE_INSTALL_${_dir}}")
  else()
    set(VELTRA_PC_${_dir} "\${prefix}/${CMAKE_INSTALL_${_dir}}")
  endif()
endforeach()
configure_file(${CMAKE_CURRENT_LIST_DIR}/veltra.pc.in ${PROJECT_BINARY_DIR}/veltra.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/veltra.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
