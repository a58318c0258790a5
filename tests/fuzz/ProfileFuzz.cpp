// settings.ini as a user or another program may leave it: reading never
// fails, and a write is read back as written while every other name of
// every other section keeps its value.
#include "settings/ProfileText.h"
#include "tests/fuzz/FuzzSupport.h"

#include "core/AnsiText.h"

namespace {

bool HasLineBreak(std::string_view S) {
    return S.find_first_of("\r\n") != std::string_view::npos;
}

bool IsTrimmed(std::string_view S) {
    return !S.empty() && S.front() != ' ' && S.front() != '\t' && S.back() != ' ' &&
           S.back() != '\t';
}

// What the profile rules can carry unchanged; anything else is the caller's
// business, as with the Windows calls.
bool Writable(std::string_view Section, std::string_view Name, std::string_view Value) {
    if (HasLineBreak(Section) || HasLineBreak(Name) || HasLineBreak(Value))
        return false;
    if (!IsTrimmed(Section) || Section.find(']') != std::string_view::npos)
        return false;
    if (!IsTrimmed(Name) || Name.find('=') != std::string_view::npos || Name.front() == ';' ||
        Name.front() == '[')
        return false;
    if (!Value.empty() && !IsTrimmed(Value))
        return false;
    if (Value.size() >= 2 && (Value.front() == '"' || Value.front() == '\'') &&
        Value.back() == Value.front())
        return false;
    return Value.size() < ProfileValueRoom;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    TFuzzInput In(Data, Size);
    const std::string Section = In.Text();
    const std::string Name = In.Text();
    const std::string Value = In.Text();
    const std::string Number = In.Text();
    const std::string Text(In.Rest());

    const std::vector<std::string> Names = ProfileTextSectionNames(Text, Section);
    std::size_t Bytes = 0;
    for (const std::string& N : Names) {
        FUZZ_CHECK(!N.empty());
        Bytes += N.size() + 1;
    }
    FUZZ_CHECK(Bytes < ProfileNamesRoom);
    std::string Read;
    if (ProfileTextRead(Text, Section, Name, Read))
        FUZZ_CHECK(Read.size() < ProfileValueRoom);

    const std::int32_t Parsed = ProfileIntegerOf(Number, 7);
    FUZZ_CHECK(ProfileIntegerOf(std::to_string(Parsed), 7) == Parsed);
    const auto W = static_cast<std::int32_t>(In.Word());
    FUZZ_CHECK(ProfileIntegerOf(std::to_string(W), 7) == W);

    if (!Writable(Section, Name, Value))
        return 0;
    const std::string After = ProfileTextWrite(Text, Section, Name, Value);
    FUZZ_CHECK(ProfileTextRead(After, Section, Name, Read) && Read == Value);
    // Writing the same again changes nothing.
    FUZZ_CHECK(ProfileTextWrite(After, Section, Name, Value) == After);

    // Every other name that was readable before reads the same after.
    std::vector<std::string> Sections;
    std::size_t Start = 0;
    while (Start <= Text.size()) {
        const std::size_t Open = Text.find('[', Start);
        if (Open == std::string::npos)
            break;
        const std::size_t Close = Text.find(']', Open);
        if (Close == std::string::npos)
            break;
        std::string_view Inside = std::string_view(Text).substr(Open + 1, Close - Open - 1);
        while (!Inside.empty() && (Inside.front() == ' ' || Inside.front() == '\t'))
            Inside.remove_prefix(1);
        while (!Inside.empty() && (Inside.back() == ' ' || Inside.back() == '\t'))
            Inside.remove_suffix(1);
        Sections.emplace_back(Inside);
        Start = Close + 1;
    }
    for (const std::string& Other : Sections) {
        if (HasLineBreak(Other))
            continue;
        for (const std::string& N : ProfileTextSectionNames(Text, Other)) {
            if (SameTextAZ(Other, Section) && SameTextAZ(N, Name))
                continue;
            std::string Before, Now;
            const bool Was = ProfileTextRead(Text, Other, N, Before);
            FUZZ_CHECK(ProfileTextRead(After, Other, N, Now) == Was);
            FUZZ_CHECK(Now == Before);
        }
    }
    return 0;
}
