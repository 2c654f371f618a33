# Where the Windows program's DLLs come from: Qt for Windows (the prefix it was found in) and
# the compiler's runtime (libstdc++, libgcc with structured exceptions, winpthreads).
get_filename_component(TICKVALE_QT_PREFIX "${Qt5Core_DIR}/../../.." ABSOLUTE)
set(TICKVALE_WINDOWS_RUNTIME_DLLS)
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
    OUTPUT_VARIABLE found OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${found}" OR NOT EXISTS "${found}")
    message(FATAL_ERROR "The compiler's runtime ${dll} was not found")
  endif()
  get_filename_component(found "${found}" REALPATH)
  list(APPEND TICKVALE_WINDOWS_RUNTIME_DLLS "${found}")
endforeach()
set(TICKVALE_WINDOWS_DLL_DIRECTORIES "${TICKVALE_QT_PREFIX}/bin")
foreach(dll ${TICKVALE_WINDOWS_RUNTIME_DLLS})
  get_filename_component(directory "${dll}" DIRECTORY)
  list(APPEND TICKVALE_WINDOWS_DLL_DIRECTORIES "${directory}")
endforeach()
list(REMOVE_DUPLICATES TICKVALE_WINDOWS_DLL_DIRECTORIES)
