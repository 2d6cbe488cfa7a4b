#include "support/TestLibrary.h"

#include "support/detail/ProcessImpl.h"

namespace kqtest {

std::string testLibraryName()
{
    return KQ_TEST_LIBRARY;
}

std::string testLibraryPath()
{
    return executableFolder() + testLibraryName();
}

}  // namespace kqtest
