// Runs a helper program to its end and captures what it writes, handing it
// a secret through an inherited pipe rather than its command line, where
// every user of the system could read it.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct TChildResult {
    bool Started = false;
    int StartError = 0;  // errno when the program could not be started
    int ExitStatus = -1; // its exit code, or 128 plus the signal that ended it
    std::string Output;  // standard output and standard error, in arrival order
};

// The file name under which the child reads the secret.
inline constexpr const char* SecretFdPath = "/dev/fd/3";

// The largest secret RunChild passes: what a pipe holds before its reader
// has started.
inline constexpr std::size_t MaxSecretSize = 4096;

// Runs Argv[0] (looked up on PATH when it holds no "/") with Argv as its
// arguments, standard input from /dev/null, and waits until it has ended.
// A non-empty Secret is readable by the child at SecretFdPath. Output beyond
// OutputLimit bytes is read and dropped. Throws EOSError when the system
// fails (pipes, a secret longer than MaxSecretSize).
TChildResult RunChild(const std::vector<std::string>& Argv, const std::string& Secret,
                      std::size_t OutputLimit = 64 * 1024);
