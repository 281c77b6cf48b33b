# veltrin_windows_resources(TARGET DESCRIPTION [ICON]): the version information (and with ICON
# the program icon, picture 128) as Windows resources of TARGET. Does nothing elsewhere.
function(veltrin_windows_resources target description)
  if(NOT WIN32)
    return()
  endif()
  set(VELTRIN_RC_NAME ${target})
  set(VELTRIN_RC_FILE ${target}.exe)
  set(VELTRIN_RC_DESCRIPTION "${description}")
  # "1.04" is version 1, minor 4 (the leading zero belongs to the way it is written).
  math(EXPR VELTRIN_RC_MINOR "${PROJECT_VERSION_MINOR}")
  set(VELTRIN_RC_ICON "")
  if(ARGN)
    # The first icon of a program is the one Explorer and the task bar show.
    set(VELTRIN_RC_ICON "1 ICON \"${PROJECT_SOURCE_DIR}/res/pictures/128.ico\"")
  endif()
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/version.rc.in ${rc} @ONLY)
  enable_language(RC)
  target_sources(${target} PRIVATE ${rc})
endfunction()
