#include "Terminal.h"

#include <unistd.h>

namespace quorvex {

bool isTerminal(std::FILE* stream)
{
    return ::isatty(fileno(stream)) != 0;
}

}  // namespace quorvex
