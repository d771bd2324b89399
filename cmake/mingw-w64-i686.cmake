# Cross-building the 32-bit Windows plug-in with Debian's mingw-w64 (POSIX thread model).
# All floating-point arithmetic runs on SSE2, never on the x87 unit, so that every result is
# rounded exactly as in the 64-bit builds.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(STELLIX_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
