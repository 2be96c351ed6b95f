# The product: 32-bit Windows, cross-built with Debian's mingw-w64.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(KARVO_MINGW_PREFIX i686-w64-mingw32)
set(KARVO_WINEARCH win32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)
