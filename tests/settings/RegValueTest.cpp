// Registry value objects against the real registry (HKEY_CURRENT_USER
// redirected to a private key).
#include <gtest/gtest.h>

#include "settings/CRegBase.h"
#include "settings/CRegDWORDCommon.h"
#include "settings/CRegStdBase.h"
#include "settings/CRegStringCommon.h"
#include "tests/support/HandleCount.h"
#include "tests/support/RegistrySandbox.h"

namespace {

using StdDword = CRegDWORDCommon<CRegStdBase>;
using FwDword = CRegDWORDCommon<CRegBase>;
using StdText = CRegStringCommon<CRegStdBase>;
using FwText = CRegStringCommon<CRegBase>;

const wchar_t kKey[] = L"Software\\KOVAX";

TEST(RegValue, ReadsOnFirstUseThenServesTheCache) {
    RegistrySandbox reg;
    reg.SetDword(kKey, L"MaxFrameRate", 45);
    StdDword v(L"Software\\KOVAX\\MaxFrameRate", 30);
    EXPECT_FALSE(v.read);
    EXPECT_EQ(30u, v.value.load());  // nothing read at construction

    EXPECT_EQ(45u, v.Value());
    EXPECT_TRUE(v.read);
    EXPECT_TRUE(v.exists);
    EXPECT_EQ(ERROR_SUCCESS, v.lastError.load());

    reg.SetDword(kKey, L"MaxFrameRate", 12);
    EXPECT_EQ(45u, v.Value()) << "a read value is served from the cache";
    v.LoadValue();
    EXPECT_EQ(12u, v.Value()) << "LoadValue picks up the registry's current value";
}

TEST(RegValue, AssignWritesOnlyWhatChanged) {
    RegistrySandbox reg;
    reg.SetDword(kKey, L"ZoomLevel_10", 30);
    StdDword v(L"Software\\KOVAX\\ZoomLevel_10", 20);
    ASSERT_EQ(30u, v.Value());

    reg.DeleteValue(kKey, L"ZoomLevel_10");
    v.Assign(30);
    EXPECT_FALSE(reg.Get(kKey, L"ZoomLevel_10").present) << "an equal value must not be written";
    EXPECT_EQ(ERROR_SUCCESS, v.lastError.load());

    v.Assign(25);
    auto stored = reg.Get(kKey, L"ZoomLevel_10");
    ASSERT_TRUE(stored.present);
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), stored.type);
    EXPECT_EQ(4u, stored.data.size());
    EXPECT_EQ(25u, stored.AsDword());
    EXPECT_EQ(25u, v.Value());
}

TEST(RegValue, MissingKeyGivesDefaultRetriesAndAssignCreatesThePath) {
    RegistrySandbox reg;
    StdDword v(L"Software\\KOVAX\\Deep\\FullScreen", 1);
    EXPECT_EQ(1u, v.Value());
    EXPECT_FALSE(v.read) << "an unopenable key leaves the object unread";
    EXPECT_FALSE(v.exists);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, v.lastError.load());

    reg.SetDword(L"Software\\KOVAX\\Deep", L"FullScreen", 0);
    EXPECT_EQ(0u, v.Value()) << "an unread object tries the registry again";

    RegistrySandbox other;
    StdDword w(L"Software\\KOVAX\\Deep\\FullScreen", 1);
    w.Assign(1);  // equal to the default but never read: written, path created
    EXPECT_EQ(1u, other.Get(L"Software\\KOVAX\\Deep", L"FullScreen").AsDword());
    EXPECT_TRUE(w.read);
    EXPECT_TRUE(w.exists);
}

TEST(RegValue, AbsentValueUnderPresentKeyIsReadOnce) {
    RegistrySandbox reg;
    reg.SetDword(kKey, L"Other", 1);
    StdDword v(L"Software\\KOVAX\\SmoothImage", 1);
    EXPECT_EQ(1u, v.Value());
    EXPECT_TRUE(v.read);
    EXPECT_FALSE(v.exists);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, v.lastError.load()) << "closing the key must not hide the failed query";

    reg.SetDword(kKey, L"SmoothImage", 0);
    EXPECT_EQ(1u, v.Value()) << "an absent value is not retried";
}

TEST(RegValue, ReloadOfAValueThatIsGoneGivesTheDefault) {
    RegistrySandbox reg;
    reg.SetDword(kKey, L"HideSysCursor", 0);
    StdDword v(L"Software\\KOVAX\\HideSysCursor", 1);
    ASSERT_EQ(0u, v.Value());
    reg.DeleteValue(kKey, L"HideSysCursor");
    v.LoadValue();
    EXPECT_EQ(1u, v.Value()) << "the panel deleted it: the default, not the old value";
    EXPECT_FALSE(v.exists);
}

TEST(RegValue, ReadsCloseEveryKeyTheyOpen) {
    RegistrySandbox reg;
    reg.SetDword(kKey, L"MaxFrameRate", 45);
    StdDword present(L"Software\\KOVAX\\MaxFrameRate", 30), absent(L"Software\\KOVAX\\Absent", 1);
    long before = OpenHandleCount();
    ASSERT_GT(before, 0) << "the handle table cannot be read";
    for (int i = 0; i < 300; ++i) {
        present.LoadValue();
        absent.LoadValue();
    }
    EXPECT_LT(OpenHandleCount(), before + 30) << "600 reads";
}

TEST(RegValue, ForceReadsEveryTimeAndAlwaysWrites) {
    RegistrySandbox reg;
    reg.SetDword(kKey, L"Forced", 5);
    StdDword forced(L"Software\\KOVAX\\Forced", 0);
    forced.force = true;  // the system never sets it; the class allows it

    EXPECT_EQ(5u, forced.Value());
    reg.SetDword(kKey, L"Forced", 6);
    EXPECT_EQ(6u, forced.Value());

    reg.DeleteValue(kKey, L"Forced");
    forced.Assign(6);
    EXPECT_EQ(6u, reg.Get(kKey, L"Forced").AsDword()) << "a forced object writes even an equal value";
}

TEST(RegValue, NumberObjectRefusesOtherTypesAndSizes) {
    RegistrySandbox reg;
    const BYTE bin4[4] = {1, 2, 3, 4};
    const BYTE word2[2] = {7, 0};
    const unsigned long long qword = 0x100000002ULL;
    struct Case {
        const wchar_t* name;
        DWORD type;
        const void* data;
        DWORD bytes;
    } cases[] = {
        {L"ShortText", REG_SZ, L"a", 4},  // exactly four bytes of text
        {L"LongText", REG_SZ, L"12345", 12},
        {L"Binary", REG_BINARY, bin4, 4},
        {L"TwoBytes", REG_DWORD, word2, 2},
        {L"Qword", REG_QWORD, &qword, 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "value " << std::string(c.name, c.name + wcslen(c.name)));
        reg.SetRaw(kKey, c.name, c.type, c.data, c.bytes);
        StdDword v(std::wstring(L"Software\\KOVAX\\") + c.name, 0xABCD1234);
        EXPECT_EQ(0xABCD1234u, v.Value());
        EXPECT_TRUE(v.read);
        EXPECT_FALSE(v.exists);
        EXPECT_NE(ERROR_SUCCESS, v.lastError.load());
        auto after = reg.Get(kKey, c.name);
        EXPECT_EQ(c.type, after.type) << "the registry is left untouched";
        EXPECT_EQ(c.bytes, after.data.size());
    }
}

TEST(RegValue, TextObjectReadsWithinItsDataAndRefusesNumbers) {
    RegistrySandbox reg;
    const wchar_t inner[] = L"ab\0cd";
    reg.SetRaw(kKey, L"InnerNul", REG_SZ, inner, sizeof(inner));
    reg.SetRaw(kKey, L"NoNul", REG_SZ, L"xyzw", 8);
    reg.SetRaw(kKey, L"Odd", REG_SZ, L"abcd", 7);  // three characters and half of one
    reg.SetRaw(kKey, L"Empty", REG_SZ, L"", 0);
    reg.SetDword(kKey, L"Number", 0x00410041);
    const BYTE bin[] = {'h', 0, 'i', 0, 0, 0};
    reg.SetRaw(kKey, L"Binary", REG_BINARY, bin, sizeof(bin));

    struct Case {
        const wchar_t* name;
        std::wstring expected;
        bool exists;
    } cases[] = {
        {L"InnerNul", L"ab", true}, {L"NoNul", L"xyzw", true},     {L"Odd", L"abc", true},
        {L"Empty", L"", true},      {L"Number", L"Default", false}, {L"Binary", L"Default", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "value " << std::string(c.name, c.name + wcslen(c.name)));
        StdText t(std::wstring(L"Software\\KOVAX\\") + c.name, L"Default");
        EXPECT_EQ(c.expected, t.Value());
        EXPECT_EQ(c.exists, t.exists.load());
        FwText f(CString(L"Software\\KOVAX\\") + c.name, L"Default");
        EXPECT_EQ(CString(c.expected.c_str()), f.Value());
    }
}

TEST(RegValue, TextIsWrittenWithOneTerminatingNul) {
    RegistrySandbox reg;
    StdText t(L"Software\\KOVAX\\HilightCursor\\Layout", L"x");
    t.Assign(L"Default");
    auto stored = reg.Get(L"Software\\KOVAX\\HilightCursor", L"Layout");
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), stored.type);
    ASSERT_EQ(16u, stored.data.size());
    EXPECT_EQ(0, memcmp(stored.data.data(), L"Default", 16));

    FwText f(L"Software\\KOVAX\\Name", L"");
    f.Assign(L"Dark");
    EXPECT_EQ(10u, reg.Get(kKey, L"Name").data.size());
}

TEST(RegValue, StdFlavourSplitsAtTheLastBackslashAsItStands) {
    StdDword a(L"Software\\KOVAX\\HilightCursor\\Show", 1);
    EXPECT_EQ(L"Software\\KOVAX\\HilightCursor", a.subKey);
    EXPECT_EQ(L"Show", a.valueName);
    EXPECT_EQ(HKEY_CURRENT_USER, a.rootKey);
    EXPECT_FALSE(a.force);

    StdDword doubled(L"\\Software\\KOVAX\\\\Show", 1);
    EXPECT_EQ(L"\\Software\\KOVAX\\", doubled.subKey);
    EXPECT_EQ(L"Show", doubled.valueName);

    StdDword bare(L"TopLevel", 1);
    EXPECT_EQ(L"", bare.subKey);
    EXPECT_EQ(L"TopLevel", bare.valueName);
}

TEST(RegValue, FrameworkFlavourTrimsStrayBackslashes) {
    const wchar_t* same[] = {L"Software\\KOVAX\\HideSysCursor", L"\\Software\\KOVAX\\HideSysCursor",
                             L"\\\\Software\\KOVAX\\\\HideSysCursor"};
    for (const wchar_t* key : same) {
        FwDword v(key, 1);
        EXPECT_EQ(CString(L"Software\\KOVAX"), v.subKey);
        EXPECT_EQ(CString(L"HideSysCursor"), v.valueName);
    }
    FwDword unnamed(L"Software\\KOVAX\\", 1);
    EXPECT_EQ(CString(L"Software\\KOVAX"), unnamed.subKey);
    EXPECT_EQ(CString(L""), unnamed.valueName);

    FwDword bare(L"TopLevel", 1);
    EXPECT_EQ(CString(L""), bare.subKey);
    EXPECT_EQ(CString(L"TopLevel"), bare.valueName);

    // Both spellings reach the same registry value; the trailing backslash
    // reaches the key's unnamed value.
    RegistrySandbox reg;
    FwDword doubled(L"\\Software\\KOVAX\\\\HideSysCursor", 1);
    doubled.Assign(0);
    EXPECT_EQ(0u, reg.Get(kKey, L"HideSysCursor").AsDword());
    unnamed.Assign(9);
    EXPECT_EQ(9u, reg.Get(kKey, L"").AsDword());
    bare.Assign(3);
    EXPECT_EQ(3u, reg.Get(L"", L"TopLevel").AsDword());
}

TEST(RegValue, FailedWriteKeepsTheValueInMemoryAndTheFlags) {
    RegistrySandbox reg;
    StdDword v(L"Software\\KOVAX\\MaxFrameRate", 30);
    v.rootKey = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x1234));  // no such handle
    v.Assign(60);
    EXPECT_NE(ERROR_SUCCESS, v.lastError.load());
    EXPECT_EQ(60u, v.value.load());
    EXPECT_FALSE(v.read);
    EXPECT_FALSE(v.exists);
    EXPECT_EQ(0u, reg.CountEntries());
}

TEST(RegValue, CopyAssignmentCopiesEveryMember) {
    RegistrySandbox reg;
    reg.SetDword(kKey, L"A", 7);
    StdDword a(L"Software\\KOVAX\\A", 3);
    a.Value();
    StdDword b;
    EXPECT_EQ(HKEY_CURRENT_USER, b.rootKey);
    EXPECT_EQ(0u, b.defaultValue);
    b = a;
    EXPECT_EQ(a.subKey, b.subKey);
    EXPECT_EQ(a.valueName, b.valueName);
    EXPECT_TRUE(b.read);
    EXPECT_TRUE(b.exists);
    EXPECT_EQ(7u, b.value.load());
    EXPECT_EQ(3u, b.defaultValue);
}

TEST(RegValue, ErrorTextIsTheSystemsMessage) {
    StdDword v(L"Software\\KOVAX\\X", 0);
    v.lastError = ERROR_FILE_NOT_FOUND;
    wchar_t* expected = nullptr;
    ASSERT_NE(0u, FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS |
                                     FORMAT_MESSAGE_FROM_SYSTEM,
                                 nullptr, ERROR_FILE_NOT_FOUND, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                 reinterpret_cast<LPWSTR>(&expected), 0, nullptr));
    EXPECT_EQ(std::wstring(expected), v.ErrorText());
    FwDword f(L"Software\\KOVAX\\X", 0);
    f.lastError = ERROR_FILE_NOT_FOUND;
    EXPECT_EQ(CString(expected), f.ErrorText());
    LocalFree(expected);

    v.lastError = 0x3FFF1234;  // no system text
    EXPECT_EQ(L"", v.ErrorText());
}

}  // namespace
