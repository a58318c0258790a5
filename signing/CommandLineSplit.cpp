#include "signing/CommandLineSplit.h"

namespace {

bool IsBlank(char C) {
    return C == ' ' || C == '\t';
}

} // namespace

std::vector<std::string> SplitCommandLine(std::string_view CommandLine) {
    std::vector<std::string> Args;
    std::size_t I = 0;
    const std::size_t N = CommandLine.size();

    // The program name: quotes only group, backslashes are plain characters.
    std::string Program;
    bool InQuotes = false;
    for (; I < N; ++I) {
        const char C = CommandLine[I];
        if (C == '"')
            InQuotes = !InQuotes;
        else if (!InQuotes && IsBlank(C))
            break;
        else
            Program += C;
    }
    Args.push_back(std::move(Program));

    for (;;) {
        while (I < N && IsBlank(CommandLine[I]))
            ++I;
        if (I >= N)
            break;
        std::string Arg;
        InQuotes = false;
        while (I < N && (InQuotes || !IsBlank(CommandLine[I]))) {
            std::size_t Backslashes = 0;
            while (I < N && CommandLine[I] == '\\') {
                ++Backslashes;
                ++I;
            }
            if (I < N && CommandLine[I] == '"') {
                Arg.append(Backslashes / 2, '\\');
                if (Backslashes % 2 == 1) {
                    Arg += '"';
                } else if (InQuotes && I + 1 < N && CommandLine[I + 1] == '"') {
                    Arg += '"';
                    ++I;
                } else {
                    InQuotes = !InQuotes;
                }
                ++I;
            } else {
                Arg.append(Backslashes, '\\');
                if (I < N && (InQuotes || !IsBlank(CommandLine[I])))
                    Arg += CommandLine[I++];
            }
        }
        Args.push_back(std::move(Arg));
    }
    return Args;
}

std::vector<std::string> ProgramCandidates(std::string_view CommandLine) {
    std::size_t Start = 0;
    while (Start < CommandLine.size() && IsBlank(CommandLine[Start]))
        ++Start;
    const std::string_view Line = CommandLine.substr(Start);
    if (Line.empty())
        return {};
    if (Line.front() == '"') {
        const std::size_t Close = Line.find('"', 1);
        return {std::string(
            Line.substr(1, Close == std::string_view::npos ? std::string_view::npos : Close - 1))};
    }
    std::vector<std::string> Candidates;
    for (std::size_t I = 1; I < Line.size(); ++I)
        if (IsBlank(Line[I]) && !IsBlank(Line[I - 1]))
            Candidates.emplace_back(Line.substr(0, I));
    std::size_t End = Line.size();
    while (IsBlank(Line[End - 1]))
        --End;
    if (Candidates.empty() || Candidates.back().size() != End)
        Candidates.emplace_back(Line.substr(0, End));
    return Candidates;
}

std::optional<TCommandLineProgram> ResolveCommandLine(std::string_view CommandLine,
                                                      const TProgramLocator& Locate) {
    for (const std::string& Name : ProgramCandidates(CommandLine)) {
        std::optional<std::string> File = Locate(Name);
        if (!File)
            File = Locate(Name + ".exe");
        if (!File)
            continue;
        std::string Line(CommandLine);
        const std::size_t Start = Line.find_first_not_of(" \t");
        if (Line[Start] != '"' && Name.find_first_of(" \t") != std::string::npos)
            Line = '"' + Name + '"' + Line.substr(Start + Name.size());
        return TCommandLineProgram{std::move(*File), SplitCommandLine(Line)};
    }
    return std::nullopt;
}
