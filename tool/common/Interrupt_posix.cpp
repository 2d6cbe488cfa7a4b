#include "Interrupt.h"

#include <signal.h>
#include <unistd.h>

namespace quorvex {

namespace {

void onSignal(int signal)
{
    noteInterrupt(signal);
}

void endQuietly(int)
{
    ::_exit(0);
}

}  // namespace

void catchInterrupts(OnInterrupt action)
{
    struct sigaction handling {};
    handling.sa_handler = action == OnInterrupt::EndQuietly ? endQuietly : onSignal;
    ::sigemptyset(&handling.sa_mask);
    ::sigaction(SIGINT, &handling, nullptr);
    ::sigaction(SIGTERM, &handling, nullptr);
}

}  // namespace quorvex
