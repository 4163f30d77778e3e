#pragma once
// The test thread's message queue, for tests with windows of their own.
#include <windows.h>

// Dispatches everything queued for this thread.
void Pump();
// Keeps dispatching for ms milliseconds, so windows get painted and moved.
void PumpFor(DWORD ms);
// Takes a WM_QUIT left behind by a loop that should have consumed it.
bool TakeStrayQuit();
