#pragma once

// KQ_API marks what the library exports; everything else stays private to it.
#if defined(_WIN32)
#  if defined(KQ_BUILDING_LIBRARY)
#    define KQ_API __declspec(dllexport)
#  else
#    define KQ_API __declspec(dllimport)
#  endif
#else
#  define KQ_API __attribute__((visibility("default")))
#endif

// Lets the compiler check every call of a printf-style function.
#if defined(__MINGW32__)
#  define KQ_PRINTF_FORMAT(fmt, args) __attribute__((format(gnu_printf, fmt, args)))
#elif defined(__GNUC__)
#  define KQ_PRINTF_FORMAT(fmt, args) __attribute__((format(printf, fmt, args)))
#else
#  define KQ_PRINTF_FORMAT(fmt, args)
#endif
