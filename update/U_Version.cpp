#include "update/U_Version.h"

#include "core/AnsiText.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace {

std::int32_t ParsePartOrZero(std::string_view Part) {
    std::int32_t Value = 0;
    return TryParseVersionPart(Part, Value) ? Value : 0;
}

} // namespace

bool TryParseVersionPart(std::string_view Part, std::int32_t& Value) {
    std::size_t I = 0;
    while (I < Part.size() && Part[I] == ' ')
        ++I;
    bool Negative = false;
    if (I < Part.size() && (Part[I] == '+' || Part[I] == '-')) {
        Negative = Part[I] == '-';
        ++I;
    }
    int Base = 10;
    if (I < Part.size() && (Part[I] == '$' || Part[I] == 'x' || Part[I] == 'X')) {
        Base = 16;
        ++I;
    } else if (I + 1 < Part.size() && Part[I] == '0' &&
               (Part[I + 1] == 'x' || Part[I + 1] == 'X')) {
        Base = 16;
        I += 2;
    }
    if (I >= Part.size())
        return false;
    // The magnitude is accumulated in 64 bits and stopped as soon as it leaves
    // the 32-bit range, so no digit string can overflow it.
    constexpr std::uint64_t Limit = 0x80000000u;
    std::uint64_t Magnitude = 0;
    for (; I < Part.size(); ++I) {
        const int Digit = HexDigitValue(Part[I]);
        if (Digit < 0 || Digit >= Base)
            return false;
        Magnitude =
            Magnitude * static_cast<std::uint64_t>(Base) + static_cast<std::uint64_t>(Digit);
        if (Magnitude > Limit)
            return false;
    }
    if (!Negative && Magnitude == Limit)
        return false;
    const std::int64_t Signed =
        Negative ? -static_cast<std::int64_t>(Magnitude) : static_cast<std::int64_t>(Magnitude);
    Value = static_cast<std::int32_t>(Signed);
    return true;
}

int CountVersionParts(std::string_view Text) {
    if (Text.empty())
        return 0;
    return 1 + static_cast<int>(std::count(Text.begin(), Text.end(), '.'));
}

std::string PadVersionText(std::string_view Text) {
    std::string S(Text);
    while (CountVersionParts(S) < 4)
        S += ".0";
    return S;
}

TLortexVersion TLortexVersion::CreateFromText(std::string_view Text) {
    TLortexVersion V;
    V.SetText(Text);
    return V;
}

TLortexVersion TLortexVersion::CreateFromWords(std::uint32_t VH, std::uint32_t VL) {
    TLortexVersion V;
    V.Major = static_cast<std::int32_t>(VH >> 16);
    V.Minor = static_cast<std::int32_t>(VH & 0xFFFFu);
    V.Release = static_cast<std::int32_t>(VL >> 16);
    V.Build = static_cast<std::int32_t>(VL & 0xFFFFu);
    return V;
}

void TLortexVersion::SetText(std::string_view Text) {
    const std::string S = PadVersionText(Text);
    const std::string_view View(S);
    std::array<std::string_view, 4> Parts;
    std::size_t Start = 0;
    for (int K = 0; K < 3; ++K) {
        // Padding guarantees at least three dots.
        const std::size_t Dot = View.find('.', Start);
        Parts[K] = View.substr(Start, Dot - Start);
        Start = Dot + 1;
    }
    Parts[3] = View.substr(Start);

    std::array<std::int32_t*, 4> Fields = {&Major, &Minor, &Release, &Build};
    for (int K = 0; K < 4; ++K) {
        std::int32_t Value = ParsePartOrZero(Parts[K]);
        *Fields[K] = Value > 65535 ? 0 : Value;
    }
}

std::string TLortexVersion::ToText() const {
    char Buffer[64];
    std::snprintf(Buffer, sizeof Buffer, "%d.%d.%d.%d", static_cast<int>(Major),
                  static_cast<int>(Minor), static_cast<int>(Release), static_cast<int>(Build));
    return Buffer;
}

// Unsigned arithmetic throughout: negative parts wrap instead of invoking
// undefined behaviour.
std::uint32_t TLortexVersion::GetVH() const {
    return (static_cast<std::uint32_t>(Major) << 16) + static_cast<std::uint32_t>(Minor);
}

std::uint32_t TLortexVersion::GetVL() const {
    return (static_cast<std::uint32_t>(Release) << 16) + static_cast<std::uint32_t>(Build);
}

std::string TLortexVersion::VHText() const {
    return std::to_string(GetVH());
}

std::string TLortexVersion::VLText() const {
    return std::to_string(GetVL());
}

bool TLortexVersion::IsValid() const {
    const std::uint32_t Sum =
        static_cast<std::uint32_t>(Major) + static_cast<std::uint32_t>(Minor) +
        static_cast<std::uint32_t>(Release) + static_cast<std::uint32_t>(Build);
    // Conversion to a signed type is modular since C++20.
    return static_cast<std::int32_t>(Sum) > 0;
}

bool TLortexVersion::IsNewerThan(const TLortexVersion& Other) const {
    const std::array<std::int32_t, 4> Mine = {Major, Minor, Release, Build};
    const std::array<std::int32_t, 4> Theirs = {Other.Major, Other.Minor, Other.Release,
                                                Other.Build};
    return Mine > Theirs;
}

bool TLortexVersion::IsNewerThanWords(std::uint32_t VH, std::uint32_t VL) const {
    const std::uint32_t MyVH = GetVH();
    if (MyVH != VH)
        return MyVH > VH;
    return GetVL() > VL;
}
