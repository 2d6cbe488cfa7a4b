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
  # thrown in the DLL reach the caller's catch.
  get_filename_component(_gcc_dir ${CMAKE_CXX_COMPILER} REALPATH)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libstdc++-6.dll
                  OUTPUT_VARIABLE _stdcxx OUTPUT_STRIP_TRAILING_WHITESPACE)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libgcc_s_dw2-1.dll
                  OUTPUT_VARIABLE _libgcc OUTPUT_STRIP_TRAILING_WHITESPACE)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libwinpthread-1.dll
                  OUTPUT_VARIABLE _pthread OUTPUT_STRIP_TRAILING_WHITESPACE)
  set(KQ_RUNTIME_DLLS ${_stdcxx} ${_libgcc} ${_pthread})
  foreach(dll ${KQ_RUNTIME_DLLS})
    if(NOT EXISTS ${dll})
      message(FATAL_ERROR "runtime DLL not found: ${dll}")
    endif()
  endforeach()
  file(COPY ${KQ_RUNTIME_DLLS} DESTINATION ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
endif()
