# Platform helpers shared by every target.

# Source lists hold X.cpp, X_posix.cpp and X_win32.cpp side by side; keep the
# files of this platform only.
function(kq_platform_sources out)
  set(files ${ARGN})
  if(WIN32)
    list(FILTER files EXCLUDE REGEX "_posix\\.cpp$")
  else()
    list(FILTER files EXCLUDE REGEX "_win32\\.cpp$")
  endif()
  set(${out} ${files} PARENT_SCOPE)
endfunction()

if(WIN32 AND MINGW)
  # The library and the programs share one C++ runtime so that exceptions
  # thrown in the DLL reach the caller's catch. 32-bit mingw unwinds with
  # DWARF-2, 64-bit with SEH: each has its own libgcc.
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(_libgcc_name libgcc_s_seh-1.dll)
  else()
    set(_libgcc_name libgcc_s_dw2-1.dll)
  endif()
  set(KQ_RUNTIME_DLLS)
  foreach(name libstdc++-6.dll ${_libgcc_name} libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${name}
                    OUTPUT_VARIABLE dll OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT EXISTS ${dll})
      message(FATAL_ERROR "runtime DLL not found: ${name}")
    endif()
    list(APPEND KQ_RUNTIME_DLLS ${dll})
  endforeach()
  file(COPY ${KQ_RUNTIME_DLLS} DESTINATION ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
endif()
