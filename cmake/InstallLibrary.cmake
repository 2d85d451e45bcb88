# folio_install_library(<target> HEADER <file> DESCRIPTION <text>)
#
# Installs a shared library of the suite the way consumers expect:
#   lib/lib<target>.so.<version> with its SONAME link and the development
#   link, include/<header>,
#   lib/cmake/<target>/ with <target>-config.cmake, its version file and the
#   imported target <target>::<target> (find_package(<target>)),
#   lib/pkgconfig/<target>.pc (pkg-config <target>), relocatable: it finds
#   the prefix from its own place, so a tree installed anywhere works.
include(CMakePackageConfigHelpers)

function(folio_install_library target)
  cmake_parse_arguments(L "" "HEADER;DESCRIPTION" "" ${ARGN})
  set(config_dir ${CMAKE_INSTALL_LIBDIR}/cmake/${target})
  install(TARGETS ${target} EXPORT ${target}-targets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime NAMELINK_COMPONENT development
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime
    INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
  install(FILES ${L_HEADER} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT development)
  install(EXPORT ${target}-targets NAMESPACE ${target}:: DESTINATION ${config_dir}
    COMPONENT development)

  set(FOLIO_LIBRARY ${target})
  set(FOLIO_LIBRARY_DESCRIPTION "${L_DESCRIPTION}")
  file(RELATIVE_PATH FOLIO_PC_TO_PREFIX /${CMAKE_INSTALL_LIBDIR}/pkgconfig /)
  string(REGEX REPLACE "/$" "" FOLIO_PC_TO_PREFIX "${FOLIO_PC_TO_PREFIX}")
  set(generated ${CMAKE_CURRENT_BINARY_DIR}/install)
  configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/library-config.cmake.in
    ${generated}/${target}-config.cmake INSTALL_DESTINATION ${config_dir})
  write_basic_package_version_file(${generated}/${target}-config-version.cmake
    VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/library.pc.in ${generated}/${target}.pc @ONLY)
  install(FILES ${generated}/${target}-config.cmake ${generated}/${target}-config-version.cmake
    DESTINATION ${config_dir} COMPONENT development)
  install(FILES ${generated}/${target}.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig
    COMPONENT development)
endfunction()

# Programs find the suite's libraries (and the viewer its PDFium) from
# their own place in the installed tree, wherever that tree is.
function(folio_install_program target)
  cmake_parse_arguments(P "" "" "EXTRA_LIBRARY_DIRS" ${ARGN})
  file(RELATIVE_PATH to_libs /${CMAKE_INSTALL_BINDIR} /${CMAKE_INSTALL_LIBDIR})
  set(run_path "$ORIGIN/${to_libs}")
  foreach(dir ${P_EXTRA_LIBRARY_DIRS})
    list(APPEND run_path "$ORIGIN/${to_libs}/${dir}")
  endforeach()
  set_target_properties(${target} PROPERTIES INSTALL_RPATH "${run_path}")
  install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime)
endfunction()
