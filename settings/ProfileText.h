// The profile-file (ini) rules of the Windows profile calls, on file text:
// sections in square brackets; names compared with A to Z folded; a value
// read with blanks around it and one pair of enclosing quotes removed, and
// cut at 2047 characters; a write replaces the line in place, or adds it
// after the last line of its section, or adds the section at the end of the
// file; "Name=Value" without blanks; untouched lines stay as they are.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

inline constexpr std::size_t ProfileValueRoom = 2048; // with the terminating NUL
inline constexpr std::size_t ProfileNamesRoom = 16384;

std::vector<std::string> ProfileTextSectionNames(std::string_view Text, std::string_view Section);
// False when the section or the name is missing.
bool ProfileTextRead(std::string_view Text, std::string_view Section, std::string_view Name,
                     std::string& Value);
std::string ProfileTextWrite(std::string_view Text, std::string_view Section, std::string_view Name,
                             std::string_view Value);
// Decimal, or hexadecimal after "$", "0x" or "0X", with an optional sign;
// Default for anything else or a number beyond 32 bits.
std::int32_t ProfileIntegerOf(std::string_view Text, std::int32_t Default);
