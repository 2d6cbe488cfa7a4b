// A library for the SharedLibrary tests to load: it exports one function.
#if defined(_WIN32)
#  define TESTLIB_EXPORT __declspec(dllexport)
#else
#  define TESTLIB_EXPORT __attribute__((visibility("default")))
#endif

extern "C" TESTLIB_EXPORT int kqtestAnswer()
{
    return 42;
}
