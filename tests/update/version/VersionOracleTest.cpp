// Our reader against the system's version calls on the same files: the test
// program itself and DLLs of the system folder.
#include "update/FileVersion.h"
#include "update/PeVersionReader.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>

namespace {

std::string ModulePath() {
    char Buffer[MAX_PATH * 2];
    const DWORD Length = GetModuleFileNameA(nullptr, Buffer, sizeof Buffer);
    return std::string(Buffer, Length);
}

std::string SystemFile(const char* Name) {
    char Buffer[MAX_PATH];
    const UINT Length = GetSystemDirectoryA(Buffer, MAX_PATH);
    return std::string(Buffer, Length) + "\\" + Name;
}

// What the system reports for one string of a table, wide.
std::optional<std::u16string> SystemString(const std::vector<std::uint8_t>& Block,
                                           const std::u16string& SubBlock) {
    void* Value = nullptr;
    UINT Length = 0;
    if (!VerQueryValueW(Block.data(), reinterpret_cast<LPCWSTR>(SubBlock.c_str()), &Value,
                        &Length) ||
        Value == nullptr)
        return std::nullopt;
    std::u16string Text(static_cast<const char16_t*>(Value), Length);
    return Text.substr(0, Text.find(u'\0'));
}

void ExpectReaderAgrees(const std::string& Path) {
    SCOPED_TRACE(Path);
    const auto System = ReadVersionBlock(Path); // GetFileVersionInfoW
    const auto Source = OpenFileByteSource(Path);
    ASSERT_TRUE(Source);
    const auto Ours = ReadPeVersionResource(*Source);
    ASSERT_EQ(System.has_value(), Ours.has_value());
    if (!System)
        return;
    EXPECT_EQ(GetFileVersionText(Path), FormatFileVersion(*ParseVersionInfoBlock(*Ours)->Fixed));
    const auto Info = ParseVersionInfoBlock(*Ours);
    ASSERT_TRUE(Info);
    void* Value = nullptr;
    UINT Length = 0;
    if (VerQueryValueA(System->data(), "\\VarFileInfo\\Translation", &Value, &Length) &&
        Length >= 4) {
        ASSERT_FALSE(Info->Translations.empty());
        EXPECT_EQ(std::memcmp(Value, &Info->Translations[0], 4), 0);
    }
    for (const TVersionStringTable& Table : Info->Tables)
        for (const TVersionString& S : Table.Strings)
            EXPECT_EQ(SystemString(*System, u"\\StringFileInfo\\" + Table.Key + u"\\" + S.Name),
                      S.Value)
                << Utf16ToCp1252(S.Name);
}

TEST(VersionOracleTest, OurReaderAgreesWithTheSystem) {
    ExpectReaderAgrees(ModulePath());
    for (const char* Dll : {"kernel32.dll", "user32.dll", "comctl32.dll", "version.dll"})
        ExpectReaderAgrees(SystemFile(Dll));
}

TEST(VersionOracleTest, TheResourceScriptMatchesTheCompiledInValues) {
    const auto Block = ReadVersionBlock(ModulePath());
    ASSERT_TRUE(Block);
    const auto Info = ParseVersionInfoBlock(*Block);
    ASSERT_TRUE(Info && Info->Fixed);
    const TVersionInfo Own = OwnVersionInfo();
    EXPECT_EQ(Info->Fixed->FileVersionMS, Own.Fixed->FileVersionMS);
    EXPECT_EQ(Info->Fixed->FileVersionLS, Own.Fixed->FileVersionLS);
    EXPECT_EQ(Info->Fixed->ProductVersionMS, Own.Fixed->ProductVersionMS);
    EXPECT_EQ(Info->Fixed->FileFlagsMask, Own.Fixed->FileFlagsMask);
    EXPECT_EQ(Info->Fixed->FileOS, Own.Fixed->FileOS);
    EXPECT_EQ(Info->Fixed->FileType, Own.Fixed->FileType);
    EXPECT_EQ(Info->Translations, Own.Translations);
    ASSERT_EQ(Info->Tables.size(), 1u);
    EXPECT_EQ(Info->Tables[0].Key, Own.Tables[0].Key);
    for (const TVersionString& S : Own.Tables[0].Strings) {
        const auto Value =
            QueryVersionString(*Block, "\\StringFileInfo\\040C04E4\\" + Utf16ToCp1252(S.Name));
        EXPECT_EQ(Value, S.Value) << Utf16ToCp1252(S.Name);
    }
}

} // namespace
