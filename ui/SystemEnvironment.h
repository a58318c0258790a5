// The environment entries of the start-up log, from the real system.
#pragma once

#include <optional>
#include <string>

class TKLog;

// "Windows : ", "64Bits : ", "Administrator : ", "Portable : ", the first
// command-line argument when there is one, and "OpenSSL : ", all Info.
void WriteSystemEnvironmentFacts(TKLog& Log, const std::optional<std::string>& FirstArgument);
