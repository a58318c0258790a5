// One file's part of a signing run, as the log pane shows it.
#pragma once

#include "signing/SigningSettings.h"

#include <cstdint>
#include <functional>
#include <string>

// The window's log pane: each addition shows as one or more lines and ends
// with a line break of the pane's own.
class ILogPane {
public:
    virtual ~ILogPane() = default;
    virtual void Add(const std::string& Text) = 0;
};

// Runs one command line and appends its output; RunAndCapture in the program,
// a fake in tests.
using TCommandRunner =
    std::function<std::uint32_t(const std::string& CommandLine, std::string& Output)>;

// Signs Path with the tool: adds ">> " and the path to the pane, runs the
// command line composed from Settings with Output emptied first, adds the
// output, then the separator line. Returns the tool's exit code. A path that
// the command line cannot carry intact is not handed to the tool at all: the
// output then explains why and the exit code is 1, the tool's own failure
// code; so is a store certificate whose thumbprint is not 40 hex digits. An
// error raised by Run passes on after the ">> " line alone.
std::uint32_t SignOneFile(ILogPane& Pane, const TCommandRunner& Run,
                          const TSigningSettings& Settings, const std::string& Path,
                          std::string& Output);
