// The Linux hive files: any text either reads as a hive or is refused with
// EHiveDamaged, and what the writer writes reads back to the same hive, for
// hives read from a file and for hives built through the accessor's calls.
#include "settings/RegHive.h"
#include "settings/Registry.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

constexpr const char* Root = "HKEY_CURRENT_USER";

void CheckSameKey(const THiveKey& A, const THiveKey& B) {
    FUZZ_CHECK(A.Name == B.Name);
    FUZZ_CHECK(A.Values.size() == B.Values.size());
    for (std::size_t I = 0; I < A.Values.size(); ++I) {
        const THiveValue& X = A.Values[I];
        const THiveValue& Y = B.Values[I];
        FUZZ_CHECK(X.Name == Y.Name && X.Type == Y.Type);
        if (X.Type == RegDword)
            FUZZ_CHECK(X.Dword == Y.Dword);
        else
            FUZZ_CHECK(X.Text == Y.Text);
    }
    FUZZ_CHECK(A.SubKeys.size() == B.SubKeys.size());
    for (std::size_t I = 0; I < A.SubKeys.size(); ++I)
        CheckSameKey(*A.SubKeys[I], *B.SubKeys[I]);
}

// Written, then read: the same hive, and writing it again gives the same text.
void CheckRoundTrip(const THive& Hive) {
    const std::string Text = Hive.Serialize();
    THive Back(Root);
    try {
        Back.Parse(Text);
    } catch (const EHiveDamaged& Error) {
        std::fprintf(stderr, "the writer's own text is refused: %s\n", Error.what());
        FUZZ_CHECK(false);
    }
    CheckSameKey(Hive.Root, Back.Root);
    FUZZ_CHECK(Back.Serialize() == Text);
}

// Names as the program's calls give them: key names are path parts, value
// names come from settings.ini lines, texts can be anything.
std::string KeyPath(TFuzzInput& In) {
    std::string Path = In.Text();
    std::erase_if(Path, [](char C) { return C == '\r' || C == '\n'; });
    return Path;
}

void BuildAndCheck(TFuzzInput& In) {
    THive Hive(Root);
    for (int Step = 0; Step < 32 && !In.Empty(); ++Step) {
        const std::uint8_t Op = In.Byte();
        const std::string Path = KeyPath(In);
        THiveKey& Key = Hive.Create(Path);
        switch (Op % 5) {
        case 0:
        case 1: {
            THiveValue Value;
            Value.Name = In.Text();
            std::erase(Value.Name, '\n');
            Value.Type = Op % 2 == 0 ? RegSz : RegExpandSz;
            Value.Text = In.Text();
            if (In.Flag())
                Value.Text += '\0' + In.Text(); // NULs and line breaks travel as hex
            Key.SetValue(std::move(Value));
            break;
        }
        case 2: {
            THiveValue Value;
            Value.Name = In.Text();
            std::erase(Value.Name, '\n');
            if (In.Flag()) {
                Value.Type = RegDword;
                Value.Dword = In.Word();
            } else {
                // A type the store keeps as bytes (binary, multi-string...).
                Value.Type = In.Word();
                if (Value.Type == RegSz || Value.Type == RegExpandSz || Value.Type == RegDword)
                    Value.Type = RegBinary;
                Value.Text = In.Text();
            }
            Key.SetValue(std::move(Value));
            break;
        }
        case 3:
            Key.DeleteValue(In.Text());
            break;
        default:
            Hive.Delete(Path);
            break;
        }
    }
    CheckRoundTrip(Hive);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    TFuzzInput In(Data, Size);
    const std::uint8_t Mode = In.Byte();
    if (Mode & 1) {
        BuildAndCheck(In);
        return 0;
    }
    // Most texts would stop at the header; let the fuzzer skip it.
    std::string Text =
        Mode & 2 ? "Windows Registry Editor Version 5.00\r\n[HKEY_CURRENT_USER\\" : "";
    Text += In.Rest();
    THive Hive(Root);
    try {
        Hive.Parse(Text);
    } catch (const EHiveDamaged&) {
        return 0;
    }
    CheckRoundTrip(Hive);
    return 0;
}
