// The platform side of quorvel_childproc.
#pragma once

#include <string>
#include <string_view>

enum class TStream { Out, Err };

void WriteTo(TStream Stream, std::string_view Bytes);
// Starts a grandchild that holds standard output and standard error and
// either sleeps for an hour or writes to standard output until that fails;
// gives its process id.
unsigned long StartGrandchild(bool Flood);
void SleepSeconds(unsigned Seconds);
// How the child found its signals: "blocked=<count> pipe=default|ignored",
// or "signals n/a" where there are none.
std::string SignalState();
