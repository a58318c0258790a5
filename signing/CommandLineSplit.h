// How Windows turns one command line into a program and its arguments, for
// platforms whose process start takes a program path and an argument list.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The argument vector the Microsoft C runtime builds from CommandLine,
// argv[0] included. argv[0] ends at the first blank outside quotes and its
// quotes are removed without escapes; the rest follows the usual rules: 2n
// backslashes before a quote give n backslashes and the quote opens or closes
// a quoted part, 2n+1 give n backslashes and a literal quote, other
// backslashes are literal, and "" inside a quoted part is a literal quote.
std::vector<std::string> SplitCommandLine(std::string_view CommandLine);

// The names that CreateProcess tries, in order, when it takes the program
// from the command line: the quoted text when the line starts with a quote;
// otherwise each successively longer prefix that ends before a blank, and
// finally the whole line.
std::vector<std::string> ProgramCandidates(std::string_view CommandLine);

// The program a command line runs and the argv the child receives.
struct TCommandLineProgram {
    std::string File;              // the file to start, as Locate found it
    std::vector<std::string> Args; // argv, argv[0] included
};

// Locate returns the file a name stands for, or nothing.
using TProgramLocator = std::function<std::optional<std::string>(const std::string& Name)>;

// How CreateProcess and the child's C runtime together read CommandLine. The
// first of ProgramCandidates that Locate finds, as it stands or with ".exe"
// added, is the program. When that name holds a blank and was not quoted, the
// line is read as if it had been, so argv[0] is the whole name and the rest
// is split as usual (what Windows does for an unquoted path with blanks).
std::optional<TCommandLineProgram> ResolveCommandLine(std::string_view CommandLine,
                                                      const TProgramLocator& Locate);
