// Four-part version numbers (major.minor.release.build) as the update check
// handles them: parsed from text, printed back, packed into the two 32-bit
// words VH and VL of the update request, and compared.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

class TLortexVersion {
public:
    std::int32_t Major = 0;
    std::int32_t Minor = 0;
    std::int32_t Release = 0;
    std::int32_t Build = 0;

    // The factories return plain values: an instance is a short-lived value
    // that its user creates, asks and drops.
    static TLortexVersion CreateFromText(std::string_view Text);
    static TLortexVersion CreateFromWords(std::uint32_t VH, std::uint32_t VL);

    // Replaces all four parts; never fails (an unreadable part becomes 0, a
    // part above 65535 becomes 0, a negative part stays).
    void SetText(std::string_view Text);
    // "%d.%d.%d.%d".
    std::string ToText() const;

    // Major << 16 + Minor and Release << 16 + Build, modulo 2^32.
    std::uint32_t GetVH() const;
    std::uint32_t GetVL() const;
    std::string VHText() const;
    std::string VLText() const;

    // The four parts summed as signed 32-bit integers (wrapping) exceed 0.
    bool IsValid() const;
    // Part by part as signed integers; equal versions are not newer.
    bool IsNewerThan(const TLortexVersion& Other) const;
    // (VH, VL) against the given words as unsigned integers, VH first.
    bool IsNewerThanWords(std::uint32_t VH, std::uint32_t VL) const;
};

// Number of "."-separated parts of a version text: 0 for the empty text.
int CountVersionParts(std::string_view Text);
// Text with ".0" appended until it has at least four parts.
std::string PadVersionText(std::string_view Text);
// One part of a version text as an integer: leading blanks, an optional sign,
// decimal digits or hexadecimal ones after "$", "x", "X", "0x" or "0X", up to
// the end of the part, within the signed 32-bit range. False when it does not
// convert (Value is then left untouched).
bool TryParseVersionPart(std::string_view Part, std::int32_t& Value);
