# The same sources as 64-bit Windows binaries, for running the Windows tests
# under a 64-bit Wine where the kernel cannot run 32-bit programs.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KARVO_MINGW_PREFIX x86_64-w64-mingw32)
set(KARVO_WINEARCH win64)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)
