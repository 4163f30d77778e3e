#include "tests/support/GdiObjects.h"

#include <windows.h>
#include <winternl.h>

#ifdef _WIN64
namespace {

// One entry of the 64-bit table; a used entry has a non-zero type.
struct GdiHandleEntry {
    UINT64 object;
    ULONG owner;
    USHORT unique;
    UCHAR type;
    UCHAR flags;
    UINT64 user;
};
static_assert(sizeof(GdiHandleEntry) == 24, "layout of the 64-bit GDI handle table");

constexpr int kTableSize = 0x10000;
constexpr size_t kTableOffsetInPeb = 0xF8;

}  // namespace

int LiveGdiObjects() {
    PROCESS_BASIC_INFORMATION info = {};
    if (NtQueryInformationProcess(GetCurrentProcess(), ProcessBasicInformation, &info, sizeof(info), nullptr) != 0)
        return -1;
    const BYTE* peb = reinterpret_cast<const BYTE*>(info.PebBaseAddress);
    const auto* table = *reinterpret_cast<GdiHandleEntry* const*>(peb + kTableOffsetInPeb);
    if (!table) return -1;
    int live = 0;
    for (int i = 0; i < kTableSize; ++i)
        if (table[i].type) ++live;
    return live;
}
#else
// The tests run as 64-bit programs only.
int LiveGdiObjects() { return -1; }
#endif
