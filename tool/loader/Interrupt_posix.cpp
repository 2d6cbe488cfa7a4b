#include "Interrupt.h"

#include <signal.h>

namespace quorvex {

namespace {

void onSignal(int signal)
{
    noteInterrupt(signal);
}

}  // namespace

void catchInterrupts()
{
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

}  // namespace quorvex
