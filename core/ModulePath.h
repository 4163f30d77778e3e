#pragma once
// Our DLLs are loaded by the full path of the program's own folder: a bare
// name would also find a copy in the current directory.
#include <windows.h>

#include <string>

// Full path of fileName in the folder of the running program.
std::wstring ProgramFolderFile(const wchar_t* fileName);

// LoadLibraryW of fileName from the program's folder; null when absent.
HMODULE LoadProgramLibrary(const wchar_t* fileName);

// The function that module exports under name, as F; null when absent.
template <class F>
F ModuleExport(HMODULE module, const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}
