#include "tests/support/HandleCount.h"

#include <windows.h>

#include <vector>

namespace {

// SystemHandleInformation (16): a count, then one entry per handle of the system.
struct HandleEntry {
    ULONG processId;
    BYTE objectType;
    BYTE flags;
    USHORT handle;
    void* object;
    ACCESS_MASK access;
};
struct HandleTable {
    ULONG count;
    HandleEntry entries[1];
};

using QuerySystemInformation = LONG(NTAPI*)(int, void*, ULONG, ULONG*);
constexpr LONG kLengthMismatch = static_cast<LONG>(0xC0000004);

}  // namespace

long OpenHandleCount() {
    auto query = reinterpret_cast<QuerySystemInformation>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    if (!query) return -1;
    std::vector<BYTE> buffer(1 << 16);
    LONG status;
    ULONG needed = 0;
    while ((status = query(16, buffer.data(), static_cast<ULONG>(buffer.size()), &needed)) == kLengthMismatch) {
        buffer.resize(buffer.size() * 2);
    }
    if (status < 0) return -1;
    const auto* table = reinterpret_cast<const HandleTable*>(buffer.data());
    long own = 0;
    for (ULONG i = 0; i < table->count; ++i) {
        if (table->entries[i].processId == GetCurrentProcessId()) ++own;
    }
    return own;
}
