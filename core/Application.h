#pragma once
// The program's run from start-up to shut-down, as the entry function calls
// it: builds the long-lived objects in order, runs the hub's message loop and
// tears everything down in reverse. Returns the exit code (always 0).
int RunMagnifier();
