#include "core/AnsiText.h"

char LowerAZ(char C) {
    return (C >= 'A' && C <= 'Z') ? static_cast<char>(C - 'A' + 'a') : C;
}

std::string LowerCaseAZ(std::string_view Text) {
    std::string Result(Text);
    for (char& C : Result)
        C = LowerAZ(C);
    return Result;
}

bool SameTextAZ(std::string_view A, std::string_view B) {
    if (A.size() != B.size())
        return false;
    for (std::size_t I = 0; I < A.size(); ++I)
        if (LowerAZ(A[I]) != LowerAZ(B[I]))
            return false;
    return true;
}

bool StartsTextAZ(std::string_view Prefix, std::string_view Text) {
    return Text.size() >= Prefix.size() && SameTextAZ(Prefix, Text.substr(0, Prefix.size()));
}

bool ContainsTextAZ(std::string_view Needle, std::string_view Haystack) {
    if (Needle.empty() || Haystack.empty())
        return false;
    return LowerCaseAZ(Haystack).find(LowerCaseAZ(Needle)) != std::string::npos;
}

int HexDigitValue(char C) {
    if (C >= '0' && C <= '9')
        return C - '0';
    if (C >= 'a' && C <= 'f')
        return C - 'a' + 10;
    if (C >= 'A' && C <= 'F')
        return C - 'A' + 10;
    return -1;
}
