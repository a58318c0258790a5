// The texts that the child and the tests driving it share.
#include "tests/helpers/ChildProc.h"

std::string ChildBigOutput(std::size_t Size) {
    std::string Text(Size, '\0');
    for (std::size_t I = 0; I < Size; ++I)
        Text[I] = I % 100 == 99 ? '\n' : static_cast<char>('a' + (I / 100) % 26);
    return Text;
}

std::string HexEncode(std::string_view Bytes) {
    static constexpr char Digits[] = "0123456789abcdef";
    std::string Hex;
    for (unsigned char C : Bytes) {
        Hex += Digits[C >> 4];
        Hex += Digits[C & 15];
    }
    return Hex;
}

std::string HexDecode(std::string_view Hex) {
    auto Value = [](char C) { return C <= '9' ? C - '0' : (C | 0x20) - 'a' + 10; };
    std::string Bytes;
    for (std::size_t I = 0; I + 1 < Hex.size(); I += 2)
        Bytes += static_cast<char>(Value(Hex[I]) * 16 + Value(Hex[I + 1]));
    return Bytes;
}

std::vector<std::string> ParseReportedArgv(std::string_view Output) {
    std::vector<std::string> Args;
    while (!Output.empty()) {
        const std::size_t End = Output.find('\n');
        std::string_view Line = Output.substr(0, End);
        if (!Line.empty() && Line.back() == '\r')
            Line.remove_suffix(1);
        Args.push_back(HexDecode(Line));
        if (End == std::string_view::npos)
            break;
        Output.remove_prefix(End + 1);
    }
    return Args;
}
