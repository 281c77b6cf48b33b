# Run at install time (install(CODE) in packaging/CMakeLists.txt): writes the desktop entry for
# the prefix of this installation and installs it. Exec and TryExec name the installed program
# by its full path, so a prefix outside PATH works too; a path with blanks or other reserved
# characters is quoted the way desktop entries require.
#
# In: VELTRIN_DESKTOP_TEMPLATE, VELTRIN_DESKTOP_WORK (a folder of the build tree),
# VELTRIN_BINDIR, VELTRIN_APPLICATIONS_DIR
# (install folders, relative to the prefix or absolute), CMAKE_INSTALL_PREFIX.

function(veltrin_install_path out dir)
  if(IS_ABSOLUTE "${dir}")
    set(${out} "${dir}" PARENT_SCOPE)
  else()
    set(${out} "${CMAKE_INSTALL_PREFIX}/${dir}" PARENT_SCOPE)
  endif()
endfunction()

# The Exec value of one argument: "%" doubles (a field code otherwise); an argument holding a
# reserved character goes into double quotes, inside which ", `, $ and \ take a backslash; at
# last the string value's own escaping doubles every backslash.
function(veltrin_desktop_exec_arg out arg)
  string(REPLACE "%" "%%" arg "${arg}")
  if(arg MATCHES "[] \t\n\"'\\\\><~|&;$*?#()`[]")
    string(REPLACE "\\" "\\\\" arg "${arg}")
    string(REPLACE "\"" "\\\"" arg "${arg}")
    string(REPLACE "`" "\\`" arg "${arg}")
    string(REPLACE "$" "\\$" arg "${arg}")
    set(arg "\"${arg}\"")
  endif()
  string(REPLACE "\\" "\\\\" arg "${arg}")
  set(${out} "${arg}" PARENT_SCOPE)
endfunction()

if(NOT DEFINED VELTRIN_DESKTOP_TEMPLATE)
  return()   # included for its functions only (tests/install/DesktopExecTest.cmake)
endif()
veltrin_install_path(bindir "${VELTRIN_BINDIR}")
veltrin_install_path(applications "${VELTRIN_APPLICATIONS_DIR}")
set(program "${bindir}/veltrin")
veltrin_desktop_exec_arg(VELTRIN_DESKTOP_EXEC "${program}")
# TryExec is a plain string value: only the backslash has an escape of its own.
string(REPLACE "\\" "\\\\" VELTRIN_DESKTOP_TRYEXEC "${program}")
# One file per destination: an install and a package build may run side by side.
string(MD5 destination "$ENV{DESTDIR}${applications}")
set(entry "${VELTRIN_DESKTOP_WORK}/${destination}/veltrin.desktop")
configure_file("${VELTRIN_DESKTOP_TEMPLATE}" "${entry}" @ONLY)
file(INSTALL "${entry}" DESTINATION "${applications}")
