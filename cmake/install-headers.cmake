# Installs the headers that KQ_UMBRELLA reaches when compiled for this platform,
# keeping their folders below KQ_HEADER_ROOT. Run by `cmake --install`.
execute_process(
  COMMAND ${KQ_CXX_COMPILER} -std=c++17 -x c++ -M -I${KQ_HEADER_ROOT} ${KQ_UMBRELLA}
  OUTPUT_VARIABLE deps ERROR_VARIABLE errors RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "can't list the headers of ${KQ_UMBRELLA}:\n${errors}")
endif()
string(REPLACE "\\\n" " " deps "${deps}")
string(REGEX REPLACE "^[^:]*:" "" deps "${deps}")
separate_arguments(deps UNIX_COMMAND "${deps}")
foreach(header IN LISTS deps)
  file(RELATIVE_PATH relative ${KQ_HEADER_ROOT} ${header})
  if(relative MATCHES "^\\.\\./")
    continue()
  endif()
  get_filename_component(folder ${relative} DIRECTORY)
  file(INSTALL ${header} DESTINATION "${CMAKE_INSTALL_PREFIX}/${KQ_INCLUDE_DESTINATION}/${folder}")
endforeach()
