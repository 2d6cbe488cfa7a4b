# What leaves the build: the library with its public headers and the files that
# let other projects find it (a CMake package, a pkg-config file on Linux), and
# the packages CPack makes of the whole install (a Debian package on Linux, a
# zip on Windows).

include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(KQ_PACKAGE_SOURCE_DIR ${CMAKE_CURRENT_LIST_DIR})

# kq_install_library(TARGET UMBRELLA)
# Installs TARGET as kq::TARGET and, as its headers, the public ones beside
# the umbrella header.
function(kq_install_library target umbrella)
  set_target_properties(${target} PROPERTIES
    VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR})
  # The public headers are C++17; users compile them too.
  target_compile_features(${target} PUBLIC cxx_std_17)
  install(TARGETS ${target} EXPORT ${target}Targets
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
  if(WIN32)
    install(FILES ${KQ_RUNTIME_DLLS} DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
  kq_install_public_headers(${umbrella})

  set(config_dir ${CMAKE_INSTALL_LIBDIR}/cmake/${target})
  install(EXPORT ${target}Targets NAMESPACE kq:: DESTINATION ${config_dir})
  set(KQ_PACKAGE_NAME ${target})
  configure_package_config_file(${KQ_PACKAGE_SOURCE_DIR}/package-config.cmake.in
    ${CMAKE_CURRENT_BINARY_DIR}/${target}Config.cmake INSTALL_DESTINATION ${config_dir})
  write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/${target}ConfigVersion.cmake
    VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${target}Config.cmake
                ${CMAKE_CURRENT_BINARY_DIR}/${target}ConfigVersion.cmake
          DESTINATION ${config_dir})

  if(NOT WIN32)
    # Its link dependencies are complete only once the folder is read.
    cmake_language(EVAL CODE "cmake_language(DEFER CALL kq_install_pkgconfig ${target})")
  endif()
endfunction()

# A header outside detail/ is public: the folder of the umbrella header is
# installed without its detail/ folders. A public header for Windows alone
# (its types exist there only) stays out of the other platforms' trees.
set(KQ_WINDOWS_ONLY_HEADERS win32/SecurityAttributes.h)
function(kq_install_public_headers umbrella)
  get_filename_component(root ${umbrella} DIRECTORY)
  set(excluded PATTERN detail EXCLUDE)
  if(NOT WIN32)
    foreach(header ${KQ_WINDOWS_ONLY_HEADERS})
      string(REPLACE "." "\\." header ${header})
      list(APPEND excluded REGEX "/${header}$" EXCLUDE)
    endforeach()
  endif()
  install(DIRECTORY ${root}/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/kq
          FILES_MATCHING PATTERN "*.h" ${excluded})
endfunction()

# kqsystem.pc: shared linking needs only the library; its private dependencies
# are listed for static links, as pkg-config modules where they have one.
function(kq_install_pkgconfig target)
  find_package(PkgConfig REQUIRED)
  get_target_property(links ${target} LINK_LIBRARIES)
  set(requires)
  set(libs)
  kq_pkgconfig_dependencies("${links}" requires libs)
  list(REMOVE_DUPLICATES requires)
  list(REMOVE_DUPLICATES libs)
  list(JOIN requires " " KQ_PC_REQUIRES_PRIVATE)
  list(JOIN libs " " KQ_PC_LIBS_PRIVATE)
  set(pc_dir ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
  # Relative to the file itself, so that the tree can move (a DESTDIR, a scratch root):
  # one ".." per folder of pc_dir.
  string(REGEX REPLACE "[^/]+" ".." KQ_PC_PREFIX ${pc_dir})
  set(KQ_PC_NAME ${target})
  configure_file(${KQ_PACKAGE_SOURCE_DIR}/package.pc.in
    ${CMAKE_CURRENT_BINARY_DIR}/${target}.pc @ONLY)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${target}.pc DESTINATION ${pc_dir})
endfunction()

# Sorts link items into pkg-config modules (a library foo with a module foo or
# libfoo) and linker arguments; imported targets are followed to their files.
function(kq_pkgconfig_dependencies links requires_var libs_var)
  set(requires ${${requires_var}})
  set(libs ${${libs_var}})
  foreach(item IN LISTS links)
    if(item MATCHES "^\\$<")
      message(WARNING "kqsystem.pc: link item ${item} left out")
    elseif(TARGET ${item})
      get_target_property(imported ${item} IMPORTED)
      if(NOT imported)
        # Object libraries and the like are part of the library itself.
        continue()
      endif()
      set(files)
      foreach(property INTERFACE_LINK_LIBRARIES IMPORTED_LOCATION
                       IMPORTED_LOCATION_${CMAKE_BUILD_TYPE})
        get_target_property(value ${item} ${property})
        if(value)
          list(APPEND files ${value})
        endif()
      endforeach()
      kq_pkgconfig_dependencies("${files}" requires libs)
    elseif(item MATCHES "^-")
      list(APPEND libs ${item})
    else()
      get_filename_component(name ${item} NAME)
      string(REGEX REPLACE "^lib([^.]+)\\..*$" "\\1" name ${name})
      kq_pkgconfig_module(${name} module)
      if(module)
        list(APPEND requires ${module})
      else()
        list(APPEND libs -l${name})
      endif()
    endif()
  endforeach()
  set(${requires_var} ${requires} PARENT_SCOPE)
  set(${libs_var} ${libs} PARENT_SCOPE)
endfunction()

function(kq_pkgconfig_module name out)
  foreach(candidate ${name} lib${name})
    execute_process(COMMAND ${PKG_CONFIG_EXECUTABLE} --exists ${candidate}
                    RESULT_VARIABLE missing)
    if(NOT missing)
      set(${out} ${candidate} PARENT_SCOPE)
      return()
    endif()
  endforeach()
  set(${out} "" PARENT_SCOPE)
endfunction()

set(CPACK_PACKAGE_NAME quorvex)
set(CPACK_PACKAGE_VENDOR "Quorvex")
set(CPACK_PACKAGE_CONTACT "Quorvex developers <quorvex@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "PortMon serial-log replay tools and the kqsystem library")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_STRIP_FILES OFF)
if(WIN32)
  set(CPACK_GENERATOR ZIP)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(CPACK_PACKAGE_FILE_NAME quorvex-${PROJECT_VERSION}-win64)
  else()
    set(CPACK_PACKAGE_FILE_NAME quorvex-${PROJECT_VERSION}-win32)
  endif()
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION devel)
  # Depends: the packages of every shared library the programs and the library link.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_LIBRARY_OUTPUT_DIRECTORY})
endif()
include(CPack)
