# The Windows program's resource script: the application icon, made at build time from the
# project's seven icon pictures, and the manifest that asks for administrator rights.
function(tickvale_windows_resources target)
  find_program(TICKVALE_IMAGEMAGICK_CONVERT convert)
  if(NOT TICKVALE_IMAGEMAGICK_CONVERT)
    message(FATAL_ERROR "ImageMagick's convert makes the program icon (apt-get install imagemagick)")
  endif()
  set(pictures)
  foreach(side 250 128 64 48 32 24 16)
    list(APPEND pictures ${PROJECT_SOURCE_DIR}/resources/images/icon_${side}.png)
  endforeach()
  set(TICKVALE_ICON_FILE ${CMAKE_CURRENT_BINARY_DIR}/tickvale.ico)
  set(TICKVALE_MANIFEST_FILE ${PROJECT_SOURCE_DIR}/resources/windows/tickvale.exe.manifest)
  add_custom_command(OUTPUT ${TICKVALE_ICON_FILE}
    COMMAND ${TICKVALE_IMAGEMAGICK_CONVERT} ${pictures} ${TICKVALE_ICON_FILE}
    DEPENDS ${pictures}
    COMMENT "Making the program icon"
    VERBATIM)
  set(script ${CMAKE_CURRENT_BINARY_DIR}/tickvale.rc)
  configure_file(${PROJECT_SOURCE_DIR}/resources/windows/tickvale.rc.in ${script} @ONLY)
  set_source_files_properties(${script} PROPERTIES OBJECT_DEPENDS "${TICKVALE_ICON_FILE};${TICKVALE_MANIFEST_FILE}")
  target_sources(${target} PRIVATE ${script} ${TICKVALE_ICON_FILE})
endfunction()
