#include "settings/RegHive.h"

#include "core/AnsiText.h"
#include "settings/Registry.h"

#include <algorithm>
#include <cstdio>

namespace {
constexpr std::string_view Header = "Windows Registry Editor Version 5.00";

bool NameLess(std::string_view A, std::string_view B) {
    return LowerCaseAZ(A) < LowerCaseAZ(B);
}

std::vector<std::string_view> SplitPath(std::string_view Path) {
    std::vector<std::string_view> Parts;
    std::size_t Start = 0;
    while (Start <= Path.size()) {
        const auto End = std::min(Path.find('\\', Start), Path.size());
        if (End > Start)
            Parts.push_back(Path.substr(Start, End - Start));
        Start = End + 1;
    }
    return Parts;
}

void AppendQuoted(std::string& Out, std::string_view Text) {
    Out += '"';
    for (const char C : Text) {
        if (C == '\\' || C == '"')
            Out += '\\';
        Out += C;
    }
    Out += '"';
}

// hex(n): each 8-bit character as one UTF-16LE unit, then the terminating NUL.
void AppendHexText(std::string& Out, int Kind, std::string_view Text) {
    Out += "hex(" + std::to_string(Kind) + "):";
    char Byte[8];
    for (const char C : Text) {
        std::snprintf(Byte, sizeof Byte, "%02x,00,", static_cast<unsigned char>(C));
        Out += Byte;
    }
    Out += "00,00";
}

// A value of a type this store does not interpret, its bytes as they were
// read: "hex:" for REG_BINARY, as regedit writes it, "hex(n):" otherwise.
void AppendHexBytes(std::string& Out, std::uint32_t Type, std::string_view Bytes) {
    char Part[24];
    if (Type == RegBinary)
        Out += "hex:";
    else {
        std::snprintf(Part, sizeof Part, "hex(%x):", Type);
        Out += Part;
    }
    for (std::size_t I = 0; I < Bytes.size(); ++I) {
        std::snprintf(Part, sizeof Part, I ? ",%02x" : "%02x",
                      static_cast<unsigned char>(Bytes[I]));
        Out += Part;
    }
}

void WriteKey(std::string& Out, const THiveKey& Key, const std::string& Path) {
    Out += "[" + Path + "]\r\n";
    for (const auto& Value : Key.Values) {
        if (Value.Name.empty())
            Out += '@';
        else
            AppendQuoted(Out, Value.Name);
        Out += '=';
        if (Value.Type == RegDword) {
            char Digits[16];
            std::snprintf(Digits, sizeof Digits, "dword:%08x", Value.Dword);
            Out += Digits;
        } else if (Value.Type == RegExpandSz) {
            AppendHexText(Out, 2, Value.Text);
        } else if (Value.Type != RegSz) {
            AppendHexBytes(Out, Value.Type, Value.Text);
        } else if (Value.Text.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos) {
            AppendHexText(Out, 1, Value.Text);
        } else {
            AppendQuoted(Out, Value.Text);
        }
        Out += "\r\n";
    }
    Out += "\r\n";
    for (const auto& Sub : Key.SubKeys)
        WriteKey(Out, *Sub, Path + "\\" + Sub->Name);
}

class TParser {
public:
    TParser(THive& Hive, std::string_view Text) : Hive(Hive), Text(Text) {}

    void Run() {
        if (Text.starts_with("\xEF\xBB\xBF"))
            Text.remove_prefix(3);
        bool SawHeader = false;
        THiveKey* Key = nullptr;
        std::string Line;
        while (NextLogicalLine(Line)) {
            const std::string_view L = Trimmed(Line);
            if (L.empty() || L.front() == ';')
                continue;
            if (!SawHeader) {
                if (L != Header)
                    Fail("the header line is missing");
                SawHeader = true;
                continue;
            }
            if (L.front() == '[') {
                Key = &OpenSection(L);
                continue;
            }
            if (!Key)
                Fail("a value stands outside any key");
            Key->SetValue(ParseValue(L));
        }
        if (!SawHeader && !Hive.Empty())
            Fail("the header line is missing");
    }

private:
    [[noreturn]] void Fail(const std::string& Why) const {
        throw EHiveDamaged("line " + std::to_string(LineNumber) + ": " + Why);
    }

    static std::string_view Trimmed(std::string_view S) {
        while (!S.empty() && (S.front() == ' ' || S.front() == '\t'))
            S.remove_prefix(1);
        while (!S.empty() && (S.back() == ' ' || S.back() == '\t'))
            S.remove_suffix(1);
        return S;
    }

    // One line, with hex continuations ("\" at the end) joined.
    bool NextLogicalLine(std::string& Line) {
        Line.clear();
        bool Any = false;
        while (Position < Text.size()) {
            Any = true;
            auto End = Text.find('\n', Position);
            if (End == std::string_view::npos)
                End = Text.size();
            std::string_view Raw = Text.substr(Position, End - Position);
            Position = End + 1;
            ++LineNumber;
            if (Raw.ends_with('\r'))
                Raw.remove_suffix(1);
            if (Raw.find('\0') != std::string_view::npos)
                Fail("a NUL character in the text");
            if (!Line.empty())
                Raw = Trimmed(Raw);
            Line += Raw;
            const auto Rest = Trimmed(Line);
            // Only hex data goes on over several lines; a text value always
            // ends with its closing quote.
            if (Rest.ends_with('\\') && Rest.find("hex") != std::string_view::npos &&
                Rest.find('=') != std::string_view::npos) {
                Line.resize(Line.rfind('\\'));
                continue;
            }
            return true;
        }
        return Any;
    }

    THiveKey& OpenSection(std::string_view L) {
        if (!L.ends_with(']') || L.starts_with("[-"))
            Fail("a key line that is not [path]");
        std::string_view Path = L.substr(1, L.size() - 2);
        if (!SameTextAZ(Path.substr(0, Hive.RootName.size()), Hive.RootName) ||
            (Path.size() > Hive.RootName.size() && Path[Hive.RootName.size()] != '\\'))
            Fail("a key outside " + Hive.RootName);
        Path.remove_prefix(std::min(Path.size(), Hive.RootName.size() + 1));
        return Hive.Create(Path);
    }

    // A quoted string starting at S[0] == '"'; advances S past it.
    std::string Unquote(std::string_view& S) const {
        std::string Out;
        std::size_t I = 1;
        for (; I < S.size() && S[I] != '"'; ++I) {
            if (S[I] == '\\') {
                if (++I >= S.size())
                    break;
            }
            Out += S[I];
        }
        if (I >= S.size())
            Fail("an unterminated quoted text");
        S.remove_prefix(I + 1);
        return Out;
    }

    THiveValue ParseValue(std::string_view L) {
        THiveValue Value;
        if (L.front() == '@') {
            L.remove_prefix(1);
        } else if (L.front() == '"') {
            Value.Name = Unquote(L);
        } else {
            Fail("a value line that does not begin with a quoted name");
        }
        L = Trimmed(L);
        if (L.empty() || L.front() != '=')
            Fail("a value without \"=\"");
        L = Trimmed(L.substr(1));
        if (L.starts_with('"')) {
            Value.Type = RegSz;
            Value.Text = Unquote(L);
            if (!Trimmed(L).empty())
                Fail("text after a quoted value");
        } else if (L.starts_with("dword:")) {
            const auto Digits = L.substr(6);
            if (Digits.empty() || Digits.size() > 8 ||
                Digits.find_first_not_of("0123456789abcdefABCDEF") != std::string_view::npos)
                Fail("a dword that is not eight hexadecimal digits");
            Value.Type = RegDword;
            Value.Dword = static_cast<std::uint32_t>(std::stoul(std::string(Digits), nullptr, 16));
        } else if (L.starts_with("hex")) {
            ParseHexValue(L.substr(3), Value);
        } else {
            Fail("a value type other than text, dword or hex");
        }
        return Value;
    }

    // "hex:..." or "hex(n):..." after the "hex". Text types are read as text
    // and a REG_DWORD as its number. Any other type (binary, multi-string,
    // qword, ...) is nothing the program reads, but it may be someone
    // else's: its bytes are kept as they stand and written back unchanged.
    void ParseHexValue(std::string_view L, THiveValue& Value) const {
        Value.Type = RegBinary;
        if (L.starts_with('(')) {
            const auto Close = L.find(')');
            const auto Digits = L.substr(1, Close == std::string_view::npos ? 0 : Close - 1);
            if (Digits.empty() || Digits.size() > 8 ||
                Digits.find_first_not_of("0123456789abcdefABCDEF") != std::string_view::npos)
                Fail("a hex value type that is not a hexadecimal number");
            Value.Type = static_cast<std::uint32_t>(std::stoul(std::string(Digits), nullptr, 16));
            L.remove_prefix(Close + 1);
        }
        if (!L.starts_with(':'))
            Fail("a hex value without \":\"");
        const std::string Bytes = ParseHexBytes(L.substr(1));
        if (Value.Type == RegSz || Value.Type == RegExpandSz) {
            Value.Text = TextOfUnits(Bytes);
        } else if (Value.Type == RegDword) {
            if (Bytes.size() != 4)
                Fail("a hex dword that is not four bytes");
            for (int B = 3; B >= 0; --B)
                Value.Dword = Value.Dword << 8 | static_cast<unsigned char>(Bytes[B]);
        } else {
            Value.Text = Bytes;
        }
    }

    std::string ParseHexBytes(std::string_view Hex) const {
        std::string Bytes;
        std::size_t I = 0;
        while (I < Hex.size()) {
            const auto Comma = std::min(Hex.find(',', I), Hex.size());
            const auto Byte = Trimmed(Hex.substr(I, Comma - I));
            if (Byte.size() != 2 ||
                Byte.find_first_not_of("0123456789abcdefABCDEF") != std::string_view::npos)
                Fail("a hex byte that is not two digits");
            Bytes += static_cast<char>(std::stoul(std::string(Byte), nullptr, 16));
            I = Comma + 1;
        }
        return Bytes;
    }

    // UTF-16LE units of 8-bit characters, up to the terminating NUL.
    std::string TextOfUnits(std::string_view Bytes) const {
        if (Bytes.size() % 2 != 0)
            Fail("hex text with an odd number of bytes");
        std::string Out;
        for (std::size_t B = 0; B < Bytes.size(); B += 2) {
            if (Bytes[B + 1] != 0)
                Fail("hex text with a character beyond 8 bits");
            Out += Bytes[B];
        }
        if (!Out.empty() && Out.back() == '\0')
            Out.pop_back();
        return Out;
    }

    THive& Hive;
    std::string_view Text;
    std::size_t Position = 0;
    int LineNumber = 0;
};
} // namespace

THiveValue* THiveKey::FindValue(std::string_view ValueName) {
    const auto It = ValueIndex.find(LowerCaseAZ(ValueName));
    return It == ValueIndex.end() ? nullptr : &Values[It->second];
}

THiveKey* THiveKey::FindSubKey(std::string_view KeyName) {
    for (auto& Sub : SubKeys)
        if (SameTextAZ(Sub->Name, KeyName))
            return Sub.get();
    return nullptr;
}

THiveKey& THiveKey::AddSubKey(std::string_view KeyName) {
    if (auto* Existing = FindSubKey(KeyName))
        return *Existing;
    auto Sub = std::make_unique<THiveKey>();
    Sub->Name = KeyName;
    const auto At = std::upper_bound(
        SubKeys.begin(), SubKeys.end(), KeyName,
        [](std::string_view Name, const auto& Other) { return NameLess(Name, Other->Name); });
    return **SubKeys.insert(At, std::move(Sub));
}

void THiveKey::SetValue(THiveValue Value) {
    if (auto* Existing = FindValue(Value.Name)) {
        Value.Name = Existing->Name; // the case first written stays
        *Existing = std::move(Value);
    } else {
        ValueIndex.emplace(LowerCaseAZ(Value.Name), Values.size());
        Values.push_back(std::move(Value));
    }
}

bool THiveKey::DeleteValue(std::string_view ValueName) {
    const auto It = ValueIndex.find(LowerCaseAZ(ValueName));
    if (It == ValueIndex.end())
        return false;
    const std::size_t At = It->second;
    Values.erase(Values.begin() + static_cast<std::ptrdiff_t>(At));
    ValueIndex.erase(It);
    for (auto& Entry : ValueIndex)
        if (Entry.second > At)
            --Entry.second;
    return true;
}

bool THiveKey::DeleteSubKey(std::string_view KeyName) {
    const auto It = std::find_if(SubKeys.begin(), SubKeys.end(),
                                 [&](const auto& Sub) { return SameTextAZ(Sub->Name, KeyName); });
    if (It == SubKeys.end())
        return false;
    SubKeys.erase(It);
    return true;
}

THive::THive(std::string RootName) : RootName(std::move(RootName)) {}

bool THive::Empty() const {
    if (!Root.Values.empty() || Root.SubKeys.size() > 1)
        return false;
    if (Root.SubKeys.empty())
        return true;
    const THiveKey& Only = *Root.SubKeys.front();
    return SameTextAZ(Only.Name, "SOFTWARE") && Only.Values.empty() && Only.SubKeys.empty();
}

THiveKey* THive::Find(std::string_view Path) {
    THiveKey* Key = &Root;
    for (const auto Part : SplitPath(Path)) {
        Key = Key->FindSubKey(Part);
        if (!Key)
            return nullptr;
    }
    return Key;
}

THiveKey& THive::Create(std::string_view Path) {
    THiveKey* Key = &Root;
    for (const auto Part : SplitPath(Path))
        Key = &Key->AddSubKey(Part);
    return *Key;
}

bool THive::Delete(std::string_view Path) {
    auto Parts = SplitPath(Path);
    if (Parts.empty())
        return false;
    const auto Last = Parts.back();
    Parts.pop_back();
    THiveKey* Parent = &Root;
    for (const auto Part : Parts) {
        Parent = Parent->FindSubKey(Part);
        if (!Parent)
            return false;
    }
    return Parent->DeleteSubKey(Last);
}

void THive::Parse(std::string_view Text) {
    Root = THiveKey{};
    TParser(*this, Text).Run();
}

std::string THive::Serialize() const {
    std::string Out(Header);
    Out += "\r\n\r\n";
    if (!Root.Values.empty())
        WriteKey(Out, Root, RootName);
    else
        for (const auto& Sub : Root.SubKeys)
            WriteKey(Out, *Sub, RootName + "\\" + Sub->Name);
    return Out;
}
