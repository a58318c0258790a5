#include "update/U_LortexFct.h"

#include "core/AnsiText.h"
#include "settings/U_OstrinUtils.h"
#include "settings/U_QuorvelFct.h"
#include "update/U_Version.h"

#include <exception>

namespace {

std::string TrimBlanks(std::string_view Text) {
    const std::size_t First = Text.find_first_not_of(' ');
    if (First == std::string_view::npos)
        return {};
    const std::size_t Last = Text.find_last_not_of(' ');
    return std::string(Text.substr(First, Last - First + 1));
}

bool EndsTextAZ(std::string_view Suffix, std::string_view Text) {
    return Text.size() >= Suffix.size() &&
           SameTextAZ(Text.substr(Text.size() - Suffix.size()), Suffix);
}

void RemoveSuffixAZ(std::string& Text, std::string_view Suffix) {
    if (EndsTextAZ(Suffix, Text))
        Text.erase(Text.size() - Suffix.size());
}

// Every ", " becomes "." (version strings written "2, 1, 1, 20").
std::string CommasToDots(std::string_view Text) {
    std::string Out;
    Out.reserve(Text.size());
    for (std::size_t I = 0; I < Text.size(); ++I) {
        if (Text[I] == ',' && I + 1 < Text.size() && Text[I + 1] == ' ') {
            Out += '.';
            ++I;
        } else {
            Out += Text[I];
        }
    }
    return Out;
}

// Blank texts and runs of question marks are what a resource without the
// right code page shows; they name nothing.
bool IsPlaceholder(std::string_view Text) {
    return Text == "?" || Text.find("??") != std::string_view::npos;
}

std::string CompanyFrom(std::string_view Text) {
    std::string Company = TrimBlanks(Text.substr(0, Text.find('\r')));
    return Company == "-" ? std::string() : Company;
}

TLortexVersion Parse(std::string_view Text) {
    return TLortexVersion::CreateFromText(Text);
}

// The "."-separated field Index (0-based) of a text; empty when absent.
std::string_view Field(std::string_view Text, int Index) {
    std::size_t Start = 0;
    for (int I = 0; I < Index; ++I) {
        const std::size_t Dot = Text.find('.', Start);
        if (Dot == std::string_view::npos)
            return {};
        Start = Dot + 1;
    }
    return Text.substr(Start, Text.find('.', Start) - Start);
}

bool IsPlaceholderVersion(std::string_view B) {
    return B == "1.0.0.0" || B == "1.0.0.1";
}

} // namespace

std::string CleanVersionText(std::string_view Text) {
    std::string Out;
    for (char C : Text) {
        if (C == ',')
            Out += '.';
        else if ((C >= '0' && C <= '9') || C == '.')
            Out += C;
        else if (C != ' ')
            break;
    }
    return Out;
}

bool IsVersionDigits(std::string_view Text) {
    return Text.find_first_not_of("0123456789.") == std::string_view::npos;
}

bool IsValidVersionText(std::string_view Text) {
    return !Text.empty() && Parse(Text).IsValid();
}

std::string FileBaseName(std::string_view Path) {
    const std::size_t Slash = Path.find_last_of("\\/");
    std::string_view Name = Slash == std::string_view::npos ? Path : Path.substr(Slash + 1);
    const std::size_t Dot = Name.rfind('.');
    return std::string(Dot == std::string_view::npos ? Name : Name.substr(0, Dot));
}

std::string AdjustSystemPathFor(const std::string& Path, bool Is64BitWindows,
                                const std::string& SystemFolder) {
    // An unknown system folder matches nothing, not every path.
    if (!Is64BitWindows || SystemFolder.empty() || !Path.starts_with(SystemFolder))
        return Path;
    const std::string Lower = LowerCaseAZ(Path);
    const std::size_t At = Lower.find("\\system32\\");
    if (At == std::string::npos)
        return Path;
    std::string Adjusted = Path;
    Adjusted.replace(At, 10, "\\sysnative\\");
    return Adjusted;
}

std::string ResolveProductName(const FileVersionInfoRec& Info, bool Is64BitImage,
                               const std::string& Path) {
    std::string Product = Info.ProductName;
    if (Product.empty())
        Product = FileBaseName(Path);
    Product = TrimBlanks(Product);
    if (Is64BitImage) {
        RemoveSuffixAZ(Product, " x64");
        RemoveSuffixAZ(Product, " (64 bits)");
        Product += " (64 bits)";
    }
    if (IsPlaceholder(Product) || Product.starts_with('$'))
        return {};
    return Product;
}

std::string ResolveCompanyName(const FileVersionInfoRec& Info) {
    std::string Company =
        SameTextAZ(Info.CompanyName, ", LLC") ? std::string() : CompanyFrom(Info.CompanyName);
    if (Company.empty())
        Company = CompanyFrom(TrimBlanks(Info.LegalCopyright));
    return IsPlaceholder(Company) ? std::string() : Company;
}

TDisplayedFileInfo DisplayedFileInfoOf(const FileVersionInfoRec& Info, bool Is64BitImage,
                                       const std::string& Path) {
    TDisplayedFileInfo Result{ResolveProductName(Info, Is64BitImage, Path),
                              ResolveCompanyName(Info)};
    if (Result.Product.empty() && !Result.Company.empty())
        Result.Product = FileBaseName(Path);
    return Result;
}

std::string ResolveVersionTextOf(const std::string& FixedVersionText,
                                 const FileVersionInfoRec& Info) {
    const std::string& FV = Info.FileVersion;
    const std::string& PV = Info.ProductVersion;
    std::string B =
        SameTextAZ(FixedVersionText, "File not found") ? std::string() : FixedVersionText;
    // A longer file-version string of the same major.minor.
    if (!FV.empty() && IsVersionDigits(FV)) {
        const std::string F = PadVersionText(FV);
        if (Parse(F).IsNewerThan(Parse(B)) && Parse(F).GetVH() == Parse(B).GetVH())
            B = F;
    }
    // A product version of the same major with a higher minor, unless it is
    // only the release written against the minor (2.1.1 against 2.11).
    if (B.find('.') != std::string::npos && PV.find('.') != std::string::npos) {
        const std::string P = CleanVersionText(PV);
        std::string BMinorRelease(Field(B, 1));
        BMinorRelease.append(Field(B, 2));
        if (Parse(P).GetVH() > Parse(B).GetVH() && Field(B, 0) == Field(P, 0) &&
            BMinorRelease != Field(P, 1))
            B = P;
        if (B == "0.0.0.0" && Parse(P).GetVH() != 0)
            B = P;
    }
    {
        const std::string P = CleanVersionText(PV);
        const std::string F = CleanVersionText(FV);
        if (Parse(P).GetVH() == Parse(F).GetVH() && Parse(P).IsNewerThan(Parse(B)) &&
            Parse(P).IsValid() && Parse(F).IsValid())
            B = P.size() > F.size() ? P : F;
    }
    if (IsPlaceholderVersion(B) && !FV.empty() && IsVersionDigits(FV))
        B = PadVersionText(CleanVersionText(FV));
    if (IsPlaceholderVersion(B) && Parse(CleanVersionText(PV)).IsNewerThan(Parse(B)))
        B = CleanVersionText(PV);
    if (B.starts_with("0.0.0") && Parse(CleanVersionText(PV)).IsNewerThan(Parse(B)))
        B = CleanVersionText(PV);
    return IsValidVersionText(B) ? Parse(B).ToText() : B;
}

std::string AdjustSystemPath(const std::string& Path) {
    if (!Is64BitWindows())
        return Path;
    return AdjustSystemPathFor(Path, true, GetSpecialFolder(CSIDL_SYSTEM_NUMBER));
}

bool Is64BitImage(const std::string& Path) {
    return ReadFileImageKind(AdjustSystemPath(Path)) == TPeKind::Pe32Plus;
}

FileVersionInfoRec ReadFileVersionInfo(const std::string& Path) {
    const std::string File = AdjustSystemPath(Path);
    FileVersionInfoRec Rec;
    bool Read = false;
    if (VersionFileExists(File)) {
        try {
            const auto Block = ReadVersionBlock(File);
            const auto Info = Block ? ParseVersionInfoBlock(*Block) : std::nullopt;
            if (Info && !Info->Tables.empty()) {
                Rec = VersionStringsOf(Info->Tables.front());
                Read = !Rec.FileDescription.empty() || !Rec.CompanyName.empty() ||
                       !Rec.FileVersion.empty();
            }
        } catch (const std::exception&) {
            Read = false;
        }
    }
    if (!Read) {
        const auto Query = OpenVersionQuery(File);
        Rec = Query ? ReadVersionStringsByKey(*Query) : FileVersionInfoRec{};
    }
    Rec.FileVersion = CommasToDots(Rec.FileVersion);
    Rec.ProductVersion = CommasToDots(Rec.ProductVersion);
    return Rec;
}

TDisplayedFileInfo GetDisplayedFileInfo(const std::string& Path) {
    return DisplayedFileInfoOf(ReadFileVersionInfo(Path), Is64BitImage(Path), Path);
}

std::string ResolveVersionText(const std::string& Path) {
    const std::string File = AdjustSystemPath(Path);
    std::string Fixed;
    try {
        Fixed = GetFileVersionText(File);
    } catch (const std::exception&) {
        Fixed.clear();
    }
    return ResolveVersionTextOf(Fixed, ReadFileVersionInfo(Path));
}
