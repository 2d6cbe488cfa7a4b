# 32-bit Windows: mingw-w64 i686, run under Wine's 32-bit loader (WOW64 prefix).
set(KQ_MINGW_TRIPLET i686-w64-mingw32)
set(KQ_WINE_ARCH win32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)
