#include "Terminal.h"

#include <io.h>

namespace quorvex {

bool isTerminal(std::FILE* stream)
{
    return _isatty(_fileno(stream)) != 0;
}

}  // namespace quorvex
