// The helper child program quorvel_childproc, for tests that run processes.
//
// It carries out its arguments in order:
//   out TEXT      writes TEXT to standard output
//   err TEXT      writes TEXT to standard error
//   outhex HEX    writes the bytes HEX stands for (NULs, CRs...) to standard output
//   big N         writes ChildBigOutput(N) to standard output
//   grandchild    starts a copy of itself that holds standard output and
//                 standard error and sleeps for an hour, writes
//                 "grandchild <pid>\n" and goes on
//   floodgrandchild  the same, but the copy writes to standard output
//                 without end (until the pipe is gone)
//   flood         writes to standard output until that fails
//   signals       writes how it found its signals (blocked count, SIGPIPE)
//   sleep S       sleeps S seconds
//   env NAME      writes "NAME=" and the variable's value hex-encoded, or
//                 "NAME unset", and a line break
//   exit CODE     ends at once with exit code CODE
// Each write is flushed before the next, so the order shows through one
// pipe. Without arguments it writes nothing and exits with 0. When any
// argument is "@argv" it does nothing else: it writes each of its argv
// (argv[0] included) hex-encoded on a line of its own and exits with 0.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// A path the build wrote down, as the running test's platform names it:
// cross-built tests run under Wine, whose drive Z: is the build machine's root.
std::string PathForTestPlatform(std::string BuildPath);

// Full path of quorvel_childproc, as the running test's platform names it.
std::string ChildProcPath();

// A command line that runs the child (its path quoted) with Arguments.
std::string ChildProcCommandLine(std::string_view Arguments);

// The known pattern "big N" writes: lines of 99 letters and an LF.
std::string ChildBigOutput(std::size_t Size);

std::string HexEncode(std::string_view Bytes);
std::string HexDecode(std::string_view Hex);

// The argv an "@argv" run reported, from its (normalised) output.
std::vector<std::string> ParseReportedArgv(std::string_view Output);

// Ends a process that a test left running (the sleeping grandchild).
void EndProcess(unsigned long Pid);
