// The platform side of quorvel_childproc.
#pragma once

#include <string>
#include <string_view>

enum class TStream { Out, Err };

void WriteTo(TStream Stream, std::string_view Bytes);
// Starts the sleeping grandchild and gives its process id.
unsigned long StartGrandchild();
void SleepSeconds(unsigned Seconds);
// How the child found its signals: "blocked=<count> pipe=default|ignored",
// or "signals n/a" where there are none.
std::string SignalState();
