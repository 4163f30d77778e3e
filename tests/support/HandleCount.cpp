#include "tests/support/HandleCount.h"

#include <windows.h>
#include <winternl.h>

#include <vector>

namespace {

// SystemHandleInformation: a count, then one entry per handle of the system.
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

constexpr NTSTATUS kLengthMismatch = static_cast<NTSTATUS>(0xC0000004);

}  // namespace

long OpenHandleCount() {
    std::vector<BYTE> buffer(1 << 16);
    NTSTATUS status;
    ULONG needed = 0;
    while ((status = NtQuerySystemInformation(SystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()),
                                              &needed)) == kLengthMismatch) {
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
