// The Windows command-line rules as our splitter applies them: any line
// splits without harm, and arguments quoted the way the Microsoft C runtime
// documents come back exactly, also behind an unquoted program path with
// blanks that must be found prefix by prefix.
#include "signing/CommandLineSplit.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

using TArgs = std::vector<std::string>;

// The documented inverse of the runtime's rules: backslashes are doubled only
// before a quote (or the closing quote), and a quote is escaped.
std::string QuoteArgument(const std::string& Arg) {
    if (!Arg.empty() && Arg.find_first_of(" \t\"") == std::string::npos)
        return Arg;
    std::string Out = "\"";
    std::size_t Backslashes = 0;
    for (const char C : Arg) {
        if (C == '\\') {
            ++Backslashes;
            continue;
        }
        if (C == '"')
            Out.append(Backslashes * 2 + 1, '\\');
        else
            Out.append(Backslashes, '\\');
        Backslashes = 0;
        Out += C;
    }
    Out.append(Backslashes * 2, '\\');
    Out += '"';
    return Out;
}

bool IsBlank(char C) {
    return C == ' ' || C == '\t';
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    TFuzzInput In(Data, Size);
    const bool Exact = In.Flag();
    std::string Program = In.Text();
    TArgs Args;
    while (!In.Empty())
        Args.push_back(In.Text());

    // Whatever the line, argv[0] is there and the candidates are prefixes.
    const std::string Raw(reinterpret_cast<const char*>(Data), Size);
    FUZZ_CHECK(!SplitCommandLine(Raw).empty());
    for (const std::string& Candidate : ProgramCandidates(Raw))
        FUZZ_CHECK(Raw.find(Candidate) != std::string::npos);
    const auto Any =
        ResolveCommandLine(Raw, [Exact](const std::string& Name) -> std::optional<std::string> {
            if ((Name.size() % 3 == 0) == Exact)
                return Name;
            return std::nullopt;
        });
    if (Any)
        FUZZ_CHECK(!Any->Args.empty());

    // A program name as Quorvel writes one: unquoted, perhaps with blanks.
    std::erase(Program, '"');
    while (!Program.empty() && IsBlank(Program.front()))
        Program.erase(0, 1);
    while (!Program.empty() && IsBlank(Program.back()))
        Program.pop_back();
    if (Program.empty())
        return 0;
    std::string Line = "\"" + Program + "\"";
    std::string Tail;
    for (const std::string& Arg : Args)
        Tail += " " + QuoteArgument(Arg);
    TArgs Expected = Args;
    Expected.insert(Expected.begin(), Program);
    FUZZ_CHECK(SplitCommandLine(Line + Tail) == Expected);

    const auto Found = ResolveCommandLine(
        Program + Tail, [&Program](const std::string& Name) -> std::optional<std::string> {
            if (Name == Program)
                return "/found/" + Name;
            return std::nullopt;
        });
    FUZZ_CHECK(Found && Found->File == "/found/" + Program && Found->Args == Expected);
    return 0;
}
