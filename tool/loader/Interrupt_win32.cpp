#include "Interrupt.h"

#include <windows.h>

#include <csignal>

namespace quorvex {

namespace {

// Runs on a thread of its own: it only notes the request, which the replay
// acts on. Closing the console ends the process soon after the handler returns,
// so that case waits briefly for the replay to release the port.
BOOL WINAPI onConsoleEvent(DWORD event)
{
    switch (event) {
        case CTRL_C_EVENT:
            noteInterrupt(SIGINT);
            return TRUE;
        case CTRL_BREAK_EVENT:
            noteInterrupt(SIGTERM);
            return TRUE;
        case CTRL_CLOSE_EVENT:
            noteInterrupt(SIGTERM);
            ::Sleep(1000);
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace

void catchInterrupts()
{
    ::SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

}  // namespace quorvex
