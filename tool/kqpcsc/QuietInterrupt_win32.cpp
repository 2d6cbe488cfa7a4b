#include "QuietInterrupt.h"

#include <windows.h>

namespace quorvex {

namespace {

BOOL WINAPI onConsoleEvent(DWORD)
{
    ExitProcess(0);
    return TRUE;
}

}  // namespace

void endQuietlyOnInterrupt()
{
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

}  // namespace quorvex
