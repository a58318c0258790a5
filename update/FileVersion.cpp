#include "update/FileVersion.h"

#include "AppInfo.h"

#include <cstdio>

namespace {

constexpr const char* RecNames[] = {"FileDescription", "CompanyName",    "FileVersion",
                                    "InternalName",    "LegalCopyright", "OriginalFilename",
                                    "ProductName",     "ProductVersion"};
// The key-by-key reading asks with these spellings; lookups ignore case.
constexpr const char* QueryNames[] = {"FileDescription", "CompanyName",    "FileVersion",
                                      "InternalName",    "LegalCopyRight", "OriginalFileName",
                                      "ProductName",     "ProductVersion"};

std::string* RecField(FileVersionInfoRec& Rec, int Index) {
    std::string* Fields[] = {&Rec.FileDescription, &Rec.CompanyName,    &Rec.FileVersion,
                             &Rec.InternalName,    &Rec.LegalCopyright, &Rec.OriginalFilename,
                             &Rec.ProductName,     &Rec.ProductVersion};
    return Fields[Index];
}

char16_t FoldAZ(char16_t C) {
    return (C >= u'A' && C <= u'Z') ? static_cast<char16_t>(C + 32) : C;
}

bool SameName(std::u16string_view A, std::string_view B) {
    if (A.size() != B.size())
        return false;
    for (std::size_t I = 0; I < A.size(); ++I)
        if (FoldAZ(A[I]) != FoldAZ(static_cast<char16_t>(static_cast<unsigned char>(B[I]))))
            return false;
    return true;
}

std::uint32_t Words(const std::uint16_t (&Parts)[4], int First) {
    return (std::uint32_t{Parts[First]} << 16) | Parts[First + 1];
}

} // namespace

TVersionInfo OwnVersionInfo() {
    TVersionInfo Info;
    TFixedFileInfo F;
    F.Signature = 0xFEEF04BD;
    F.StrucVersion = 0x00010000;
    F.FileVersionMS = Words(AppInfo::FileVersion, 0);
    F.FileVersionLS = Words(AppInfo::FileVersion, 2);
    F.ProductVersionMS = Words(AppInfo::ProductVersion, 0);
    F.ProductVersionLS = Words(AppInfo::ProductVersion, 2);
    F.FileFlagsMask = AppInfo::FileFlagsMask;
    F.FileFlags = AppInfo::FileFlags;
    F.FileOS = AppInfo::FileOS;
    F.FileType = AppInfo::FileType;
    F.FileSubtype = AppInfo::FileSubtype;
    Info.Fixed = F;
    char Key[16];
    std::snprintf(Key, sizeof Key, "%04X%04X", static_cast<unsigned>(AppInfo::Language),
                  static_cast<unsigned>(AppInfo::CodePage));
    // The order of the resource script.
    Info.Tables.push_back({AsciiToUtf16(Key),
                           {{u"CompanyName", AsciiToUtf16(AppInfo::CompanyNameText)},
                            {u"FileDescription", AsciiToUtf16(AppInfo::FileDescriptionText)},
                            {u"FileVersion", AsciiToUtf16(AppInfo::FileVersionText)},
                            {u"InternalName", AsciiToUtf16(AppInfo::InternalNameText)},
                            {u"LegalCopyright", AsciiToUtf16(AppInfo::LegalCopyrightText)},
                            {u"LegalTrademarks", AsciiToUtf16(AppInfo::LegalTrademarksText)},
                            {u"OriginalFilename", AsciiToUtf16(AppInfo::OriginalFilenameText)},
                            {u"ProductName", AsciiToUtf16(AppInfo::ProductNameText)},
                            {u"ProductVersion", AsciiToUtf16(AppInfo::ProductVersionText)},
                            {u"Comments", AsciiToUtf16(AppInfo::CommentsText)}}});
    Info.Translations.push_back(std::uint32_t{AppInfo::Language} |
                                (std::uint32_t{AppInfo::CodePage} << 16));
    return Info;
}

FileVersionInfoRec VersionStringsOf(const TVersionStringTable& Table) {
    FileVersionInfoRec Rec;
    for (int I = 0; I < 8; ++I) {
        for (const TVersionString& S : Table.Strings) {
            if (SameName(S.Name, RecNames[I])) {
                *RecField(Rec, I) = VersionTextToAnsi(S.Value);
                break;
            }
        }
    }
    return Rec;
}

std::vector<std::string> VersionQueryPaths(std::optional<std::uint32_t> Translation) {
    std::string Prefix;
    if (Translation) {
        char Key[32];
        std::snprintf(Key, sizeof Key, "\\StringFileInfo\\%04X%04X\\",
                      static_cast<unsigned>(*Translation & 0xFFFF),
                      static_cast<unsigned>(*Translation >> 16));
        Prefix = Key;
    }
    std::vector<std::string> Paths;
    for (const char* Name : QueryNames)
        Paths.push_back(Prefix + Name);
    return Paths;
}

FileVersionInfoRec ReadVersionStringsByKey(const IVersionQuery& Query) {
    FileVersionInfoRec Rec;
    const std::vector<std::string> Paths = VersionQueryPaths(Query.FirstTranslation());
    for (int I = 0; I < 8; ++I)
        *RecField(Rec, I) = Query.QueryString(Paths[static_cast<std::size_t>(I)]).value_or("");
    return Rec;
}
