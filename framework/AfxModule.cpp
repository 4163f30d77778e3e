#include "framework/AfxModule.h"

// The linker's symbol for the start of the module this code is linked into.
extern "C" IMAGE_DOS_HEADER __ImageBase;

HINSTANCE AfxGetResourceHandle() { return reinterpret_cast<HINSTANCE>(&__ImageBase); }

HINSTANCE AfxGetInstanceHandle() { return reinterpret_cast<HINSTANCE>(&__ImageBase); }
