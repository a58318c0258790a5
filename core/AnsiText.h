// 8-bit text helpers with the program's one notion of "letter case aside":
// only the letters A to Z are folded; every other byte compares as it is.
#pragma once

#include <string>
#include <string_view>

char LowerAZ(char C);
std::string LowerCaseAZ(std::string_view Text);
bool SameTextAZ(std::string_view A, std::string_view B);
// True when Text begins with Prefix (letters A to Z folded).
bool StartsTextAZ(std::string_view Prefix, std::string_view Text);
// True when Needle occurs in Haystack (letters A to Z folded); false when
// either is empty.
bool ContainsTextAZ(std::string_view Needle, std::string_view Haystack);
// The value of a hexadecimal digit (either case), -1 for any other byte.
int HexDigitValue(char C);
