# The Exec value of the desktop entry for install paths with the characters a desktop entry
# reserves: run with cmake -P.
include(${CMAKE_CURRENT_LIST_DIR}/../../packaging/InstallDesktopEntry.cmake)

set(failures 0)
function(expect path want)
  veltrin_desktop_exec_arg(got "${path}")
  if(NOT got STREQUAL want)
    message(SEND_ERROR "${path}: Exec ${got}, expected ${want}")
  endif()
endfunction()

# In the file a quoted backslash doubles twice: once for the quoting, once for the string value.
expect("/usr/bin/veltrin" "/usr/bin/veltrin")
expect("/opt/Veltrin Tools/bin/veltrin" "\"/opt/Veltrin Tools/bin/veltrin\"")
expect("/opt/a\"b/veltrin" "\"/opt/a\\\\\"b/veltrin\"")
expect("/opt/\$HOME/veltrin" "\"/opt/\\\\\$HOME/veltrin\"")
expect("/opt/a`b/veltrin" "\"/opt/a\\\\`b/veltrin\"")
expect("/opt/a\\b/veltrin" "\"/opt/a\\\\\\\\b/veltrin\"")
expect("/opt/100%/veltrin" "/opt/100%%/veltrin")
expect("/opt/it's/veltrin" "\"/opt/it's/veltrin\"")
