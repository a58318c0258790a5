// The profile-file rules, as one table run through the platform's profile
// layer (the real calls under Wine, our own on Linux) and through our own
// text functions, which must agree with it on both platforms.
#include "settings/ProfileFile.h"
#include "settings/ProfileText.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace fs = std::filesystem;

namespace {
struct TWrite {
    const char *Section, *Name, *Value;
};

struct TWriteCase {
    const char* Title;
    const char* Before; // nullptr: no file
    std::vector<TWrite> Writes;
    const char* After;
};

const TWriteCase WriteCases[] = {
    {"new file",
     nullptr,
     {{"Settings", "SignTool", "C:\\a b\\signtool.exe"}},
     "[Settings]\r\nSignTool=C:\\a b\\signtool.exe\r\n"},
    {"replace in place, any case, keeping the name as it stands",
     "[Settings]\r\nA=1\r\nsigntool=old\r\nB=2\r\n",
     {{"Settings", "SignTool", "new"}},
     "[Settings]\r\nA=1\r\nsigntool=new\r\nB=2\r\n"},
    {"append at the end of the section",
     "[Settings]\r\nA=1\r\n[Other]\r\nX=9\r\n",
     {{"settings", "B", "2"}},
     "[Settings]\r\nA=1\r\nB=2\r\n[Other]\r\nX=9\r\n"},
    {"new section at the end of the file",
     "[Settings]\r\nA=1\r\n",
     {{"Settings_DWORD", "N", "-1"}, {"Settings_DWORD", "M", "5"}},
     "[Settings]\r\nA=1\r\n[Settings_DWORD]\r\nN=-1\r\nM=5\r\n"},
    {"empty and special values",
     nullptr,
     {{"Settings", "Password", ""}, {"Settings", "URL", "http://x/?a=b;c"}},
     "[Settings]\r\nPassword=\r\nURL=http://x/?a=b;c\r\n"},
    {"a second write of the same name",
     nullptr,
     {{"Settings", "A", "1"}, {"Settings", "a", "2"}},
     "[Settings]\r\nA=2\r\n"},
};

struct TReadCase {
    const char* Text;
    const char *Section, *Name;
    const char* Value; // nullptr: missing
};

const std::string LongValue(3000, 'v');
const std::string LongFile = "[S]\r\nLong=" + LongValue + "\r\n";

const TReadCase ReadCases[] = {
    {"[Settings]\r\nA=plain\r\n", "Settings", "A", "plain"},
    {"[Settings]\r\n  A  =  padded  \r\n", "settings", "a", "padded"},
    {"[Settings]\r\nA=\"quoted \"\r\n", "Settings", "A", "quoted "},
    {"[Settings]\r\nA='single'\r\n", "Settings", "A", "single"},
    {"[Settings]\r\nA=\"half\r\n", "Settings", "A", "\"half"},
    {"[Settings]\r\nA=a=b\r\n", "Settings", "A", "a=b"},
    {"[Settings]\nA=lf\n", "Settings", "A", "lf"},
    {"[Other]\r\nA=1\r\n", "Settings", "A", nullptr},
    {"[Settings]\r\nB=1\r\n", "Settings", "A", nullptr},
    {"[ Settings ]\r\nA=spaced\r\n", "Settings", "A", "spaced"},
};

struct TNamesCase {
    const char* Text;
    const char* Section;
    std::vector<std::string> Names;
};

const TNamesCase NamesCases[] = {
    {"[Settings]\r\nB=1\r\nA=2\r\n[X]\r\nC=3\r\n", "Settings", {"B", "A"}},
    {"[Settings]\r\n;comment\r\nB=1\r\n\r\n  C = 3\r\n", "SETTINGS", {"B", "C"}},
    {"[X]\r\nC=3\r\n", "Settings", {}},
    {"", "Settings", {}},
};

class TempFile {
public:
    TempFile() {
        std::random_device Random;
        Folder = fs::temp_directory_path() / ("quorvel-ini-" + std::to_string(Random()));
        fs::create_directories(Folder);
        Path = (Folder / "settings.ini").string();
    }
    ~TempFile() {
        std::error_code Ignored;
        fs::remove_all(Folder, Ignored);
    }
    void Set(const char* Text) {
        fs::remove(Path);
        if (Text)
            std::ofstream(Path, std::ios::binary) << Text;
    }
    void Set(const std::string& Text) { Set(Text.c_str()); }
    std::string Get() const {
        std::ifstream In(Path, std::ios::binary);
        std::stringstream Text;
        Text << In.rdbuf();
        return Text.str();
    }
    fs::path Folder;
    std::string Path;
};
} // namespace

TEST(ProfileWrite, PlatformLayerAndOwnTextAgree) {
    TempFile File;
    for (const auto& C : WriteCases) {
        File.Set(C.Before);
        std::string Own = C.Before ? C.Before : "";
        for (const auto& W : C.Writes) {
            ProfileWriteString(File.Path, W.Section, W.Name, W.Value);
            Own = ProfileTextWrite(Own, W.Section, W.Name, W.Value);
        }
        EXPECT_EQ(File.Get(), C.After) << C.Title;
        EXPECT_EQ(Own, C.After) << C.Title;
    }
}

TEST(ProfileRead, PlatformLayerAndOwnTextAgree) {
    TempFile File;
    for (const auto& C : ReadCases) {
        File.Set(C.Text);
        std::string Own;
        const bool Found = ProfileTextRead(C.Text, C.Section, C.Name, Own);
        const std::string Expected = C.Value ? C.Value : "<none>";
        EXPECT_EQ(ProfileReadString(File.Path, C.Section, C.Name, "<none>"), Expected) << C.Text;
        EXPECT_EQ(Found ? Own : "<none>", Expected) << C.Text;
    }
    File.Set(LongFile);
    EXPECT_EQ(ProfileReadString(File.Path, "S", "Long", ""), LongValue.substr(0, 2047));
    std::string Own;
    ProfileTextRead(LongFile, "S", "Long", Own);
    EXPECT_EQ(Own, LongValue.substr(0, 2047));
    EXPECT_EQ(ProfileReadString((File.Folder / "missing.ini").string(), "S", "A", "dflt"), "dflt");
}

TEST(ProfileRead, SectionNamesInFileOrder) {
    TempFile File;
    for (const auto& C : NamesCases) {
        File.Set(C.Text);
        EXPECT_EQ(ProfileSectionNames(File.Path, C.Section), C.Names) << C.Text;
        EXPECT_EQ(ProfileTextSectionNames(C.Text, C.Section), C.Names) << C.Text;
    }
}

TEST(ProfileRead, IntegersOfTheDwordSection) {
    struct Case {
        const char* Text;
        std::int32_t Value;
    };
    const Case Cases[] = {{"42", 42},
                          {"-1", -1},
                          {"$10", 16},
                          {"0x1F", 31},
                          {"0X1f", 31},
                          {"$FFFFFFFF", -1},
                          {"2147483647", 2147483647},
                          {"2147483648", 0},
                          {"-2147483648", INT32_MIN},
                          {"0x", 0},
                          {"abc", 0},
                          {"12abc", 0},
                          {"", 0}};
    TempFile File;
    for (const auto& C : Cases) {
        EXPECT_EQ(ProfileIntegerOf(C.Text, 0), C.Value) << C.Text;
        File.Set(std::string("[D]\r\nN=") + C.Text + "\r\n");
        EXPECT_EQ(ProfileReadInteger(File.Path, "D", "N", 0), C.Value) << C.Text;
    }
}
