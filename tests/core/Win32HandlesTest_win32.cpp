#include "core/Win32Handles.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Each kind's "no handle": the value the opening call returns on failure.
TEST(Win32Handles, InvalidValuePerKind) {
    EXPECT_EQ(Win32::TFileHandle().get(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(Win32::TFindHandle().get(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(Win32::TKernelHandle().get(), nullptr);
    EXPECT_EQ(Win32::TRegistryKey().get(), nullptr);
    EXPECT_EQ(Win32::TModule().get(), nullptr);
    EXPECT_EQ(Win32::TLocalMemory<char>().get(), nullptr);
    EXPECT_EQ(Win32::TCertStore().get(), nullptr);
    // A failed CreateFileA holds nothing, and the owner says so.
    Win32::TFileHandle Missing(CreateFileA("Z:\\no\\such\\folder\\file", GENERIC_READ, 0, nullptr,
                                           OPEN_EXISTING, 0, nullptr));
    EXPECT_FALSE(Missing);
}

// A handle owned is closed when the owner goes: a duplicate of it stays
// usable, the original does not. Closing keeps the last error of the path
// that gave up.
TEST(Win32Handles, ClosesTheHandleAndKeepsTheLastError) {
    HANDLE Raw = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(Raw, nullptr);
    {
        Win32::TKernelHandle Event(Raw);
        Win32::TKernelHandle Moved(std::move(Event));
        EXPECT_FALSE(Event);
        SetLastError(ERROR_FILE_NOT_FOUND);
    }
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    DWORD Flags = 0;
    EXPECT_FALSE(GetHandleInformation(Raw, &Flags));
}

TEST(Win32Handles, RegistryKeyAndFindHandleReleaseWhatTheyHold) {
    Win32::TRegistryKey Key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, Key.put()), ERROR_SUCCESS);
    EXPECT_TRUE(Key);
    Key.reset();
    EXPECT_FALSE(Key);

    char Windows[MAX_PATH] = {};
    ASSERT_GT(GetWindowsDirectoryA(Windows, MAX_PATH), 0u);
    WIN32_FIND_DATAA Data{};
    Win32::TFindHandle Find(FindFirstFileA((std::string(Windows) + "\\*").c_str(), &Data));
    ASSERT_TRUE(Find);
    EXPECT_TRUE(FindNextFileA(Find.get(), &Data));
}

TEST(Win32Handles, LocalMemoryFreesWhatTheSystemAllocated) {
    Win32::TLocalMemory<char> Text;
    const DWORD Length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, ERROR_ACCESS_DENIED, 0, reinterpret_cast<char*>(Text.put()), 0, nullptr);
    ASSERT_GT(Length, 0u);
    EXPECT_TRUE(Text);
    char* Raw = Text.release();
    EXPECT_EQ(LocalFree(Raw), nullptr);
}

} // namespace
