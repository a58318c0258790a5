// Runs one command line as a hidden child process and captures what it
// writes to its standard output and standard error, through one pipe, as one
// text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Runs CommandLine and waits until the child process has ended; returns its
// exit code. What the child wrote is appended to Output (which is not cleared
// first) with its line breaks normalised; nothing is appended when it wrote
// nothing. A child that cannot be started gives 0xFFFFFFFF and leaves Output
// as it was. The run ends when the child ends, even if a grandchild still
// holds the pipe; what is in the pipe by then is kept. Throws EOSError when
// the platform fails after the child has started (the child is ended first).
std::uint32_t RunAndCapture(const std::string& CommandLine, std::string& Output);

// The text as a terminal would show it: a lone LF becomes CR LF, CR LF stays,
// and text written after a CR replaces the line it returned to.
std::string NormalizeLineBreaks(std::string_view Raw);
