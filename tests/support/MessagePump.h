#pragma once
// The test thread's message queue, for tests with windows of their own.
#include <windows.h>

#include <functional>

// Dispatches everything queued for this thread.
void Pump();
// Keeps dispatching for ms milliseconds, so windows get painted and moved.
void PumpFor(DWORD ms);
// Dispatches until condition holds, for up to 10 s; returns it.
bool PumpUntil(const std::function<bool()>& condition);
// Takes a WM_QUIT left behind by a loop that should have consumed it.
bool TakeStrayQuit();
