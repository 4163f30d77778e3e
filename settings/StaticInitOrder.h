#pragma once
// Order of the program's static objects (lower first; exit handlers run in
// reverse). Settings come first so that GDI+ start-up, the highlight objects
// and the accessibility filter find them ready; GDI+ is shut down only after
// the highlight objects are gone.
#define KV_INIT_SETTINGS 101
#define KV_INIT_GDIPLUS 102
#define KV_INIT_HILIGHTS 103
#define KV_INIT_WINEVENT_FILTER 104

#define KV_INIT_PRIORITY(n) __attribute__((init_priority(n)))
