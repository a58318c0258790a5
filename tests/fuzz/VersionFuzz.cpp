// Version texts as the update server and version resources give them: the
// parse must be stable under printing, stay within its bounds, and compare
// consistently; the own-version rules must end in a normalised text.
#include "tests/fuzz/FuzzSupport.h"
#include "update/U_LortexFct.h"
#include "update/U_Version.h"

namespace {

void CheckVersion(std::string_view Text) {
    const TLortexVersion V = TLortexVersion::CreateFromText(Text);
    for (const std::int32_t Part : {V.Major, V.Minor, V.Release, V.Build})
        FUZZ_CHECK(Part <= 65535);

    // Printing and reading back is a fixed point.
    const std::string Printed = V.ToText();
    const TLortexVersion Again = TLortexVersion::CreateFromText(Printed);
    FUZZ_CHECK(Again.Major == V.Major && Again.Minor == V.Minor && Again.Release == V.Release &&
               Again.Build == V.Build);
    FUZZ_CHECK(Again.ToText() == Printed);

    FUZZ_CHECK(V.VHText() == std::to_string(V.GetVH()));
    FUZZ_CHECK(V.VLText() == std::to_string(V.GetVL()));
    FUZZ_CHECK(!V.IsNewerThan(V) && !V.IsNewerThanWords(V.GetVH(), V.GetVL()));
    const bool Plain = V.Major >= 0 && V.Minor >= 0 && V.Release >= 0 && V.Build >= 0;
    if (Plain) {
        const TLortexVersion Packed = TLortexVersion::CreateFromWords(V.GetVH(), V.GetVL());
        FUZZ_CHECK(Packed.ToText() == Printed);
        FUZZ_CHECK(V.IsValid() == (Printed != "0.0.0.0"));
    }
}

void CheckPair(std::string_view A, std::string_view B) {
    const TLortexVersion X = TLortexVersion::CreateFromText(A);
    const TLortexVersion Y = TLortexVersion::CreateFromText(B);
    FUZZ_CHECK(!(X.IsNewerThan(Y) && Y.IsNewerThan(X)));
    const bool Same = X.ToText() == Y.ToText();
    FUZZ_CHECK(Same == (!X.IsNewerThan(Y) && !Y.IsNewerThan(X)));
    const bool Plain = X.Major >= 0 && X.Minor >= 0 && X.Release >= 0 && X.Build >= 0 &&
                       Y.Major >= 0 && Y.Minor >= 0 && Y.Release >= 0 && Y.Build >= 0;
    if (Plain)
        FUZZ_CHECK(X.IsNewerThanWords(Y.GetVH(), Y.GetVL()) == X.IsNewerThan(Y));
}

void CheckTextRules(const std::string& Text) {
    const std::string Clean = CleanVersionText(Text);
    FUZZ_CHECK(IsVersionDigits(Clean));
    FUZZ_CHECK(CleanVersionText(Clean) == Clean);
    FUZZ_CHECK(Clean.size() <= Text.size());
    const std::string Padded = PadVersionText(Text);
    FUZZ_CHECK(CountVersionParts(Padded) >= 4);
    FUZZ_CHECK(Padded.starts_with(Text));
    const std::string Base = FileBaseName(Text);
    FUZZ_CHECK(Base.find_first_of("\\/") == std::string::npos);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    TFuzzInput In(Data, Size);
    const std::string First = In.Text();
    const std::string Second = In.Text();
    CheckVersion(First);
    CheckVersion(Second);
    CheckPair(First, Second);
    CheckTextRules(First);

    // The own-version rules over texts a version resource could hold.
    FileVersionInfoRec Rec;
    Rec.FileVersion = Second;
    Rec.ProductVersion = In.Text();
    Rec.ProductName = In.Text();
    Rec.CompanyName = In.Text();
    Rec.LegalCopyright = In.Text();
    const std::string Resolved = ResolveVersionTextOf(First, Rec);
    if (IsValidVersionText(Resolved))
        FUZZ_CHECK(TLortexVersion::CreateFromText(Resolved).ToText() == Resolved);
    for (const bool Is64 : {false, true}) {
        // The product may still come from a file name; the company never
        // keeps a placeholder.
        const TDisplayedFileInfo Info = DisplayedFileInfoOf(Rec, Is64, First);
        FUZZ_CHECK(Info.Company != "?" && Info.Company.find("??") == std::string::npos);
    }
    return 0;
}
