# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (package g++-mingw-w64-x86-64-posix:
# the POSIX thread model, which std::thread and std::mutex need).
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-w64-x86_64.cmake -DVELTRIN_GUI=OFF
#   ... -DVELTRIN_QT_MINGW=build-win/qt6-mingw    (the program too, with a static Qt for MinGW)
# scripts/test-windows.sh does this and runs the result under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VELTRIN_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VELTRIN_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VELTRIN_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${VELTRIN_MINGW_PREFIX}-windres)

# VELTRIN_QT_MINGW: the prefix of a Qt 6 built for MinGW-w64 (scripts/test-windows.sh unpacks one
# into the build folder). Package searches are re-rooted, so the prefix is a root of its own, and
# moc, rcc and uic come from Debian's host Qt of the same version.
set(VELTRIN_QT_MINGW "" CACHE PATH "Qt 6 for MinGW-w64 (prefix); empty: no Qt, veltrin-cli and the core only")
set(CMAKE_FIND_ROOT_PATH /usr/${VELTRIN_MINGW_PREFIX} ${VELTRIN_QT_MINGW})
if(VELTRIN_QT_MINGW)
  list(APPEND CMAKE_PREFIX_PATH ${VELTRIN_QT_MINGW})
  set(QT_HOST_PATH /usr CACHE PATH "")
  set(QT_HOST_PATH_CMAKE_DIR /usr/lib/${CMAKE_HOST_SYSTEM_PROCESSOR}-linux-gnu/cmake CACHE PATH "")
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Programs that run on their own: the C and C++ runtimes and the thread library linked in, so
# that no DLL has to lie beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
