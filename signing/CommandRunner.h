// Runs one command line as a hidden child process and captures what it
// writes to its standard output and standard error, through one pipe, as one
// text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct TRunOptions {
    // Variables the child gets beside the inherited environment, each
    // replacing an inherited one of the same name (letter case ignored on
    // Windows). Values travel in the environment, never on the command line,
    // which other users of the system can read.
    std::vector<std::pair<std::string, std::string>> Environment;
};

// Runs CommandLine and waits until the child process has ended; returns its
// exit code. What the child wrote is appended to Output (which is not cleared
// first) with its line breaks normalised; nothing is appended when it wrote
// nothing. A child that cannot be started gives 0xFFFFFFFF and leaves Output
// as it was. The run ends when the child ends, even if a grandchild still
// holds the pipe; what is in the pipe by then is kept. Throws EOSError when
// the platform fails after the child has started (the child is ended first).
std::uint32_t RunAndCapture(const std::string& CommandLine, std::string& Output);
// The same with Options applied to the child. A variable name that is empty
// or holds "=" (or a NUL anywhere) does not start the child: 0xFFFFFFFF. A
// name of its own, so that RunAndCapture stays one function that callers can
// pass as a TCommandRunner.
std::uint32_t RunAndCaptureWith(const std::string& CommandLine, std::string& Output,
                                const TRunOptions& Options);

// The text as a terminal would show it: a lone LF becomes CR LF, CR LF stays,
// and text written after a CR replaces the line it returned to.
std::string NormalizeLineBreaks(std::string_view Raw);
