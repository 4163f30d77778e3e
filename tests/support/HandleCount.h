#pragma once
// The number of kernel handles this process holds, for leak checks: Wine's
// GetProcessHandleCount answers 0, so the system's handle table is asked.

// -1 when the table cannot be read.
long OpenHandleCount();
