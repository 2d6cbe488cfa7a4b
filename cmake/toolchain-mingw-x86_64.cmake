# 64-bit Windows: mingw-w64 x86_64, run under Wine's 64-bit loader.
set(KQ_MINGW_TRIPLET x86_64-w64-mingw32)
set(KQ_WINE_ARCH win64)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)
