// One run of the signtool stand-in: reads the arguments, signs each file
// and writes what signtool writes.
#pragma once

#include "tools/signtool/SignToolArgs.h"
#include "tools/signtool/SignToolTexts.h"

#include <functional>
#include <ostream>
#include <string>
#include <vector>

using TFileSigner = std::function<TSignOutcome(const TSignRequest&, const std::string& Path)>;

// Out receives signtool's standard output, Err its warnings and errors; each
// line is flushed at once, so the two keep their order when they share a
// pipe. Returns the exit code: 0 when every file was signed, 1 otherwise.
// An exception from Signer fails that file only. Once a file fails on a
// wrong PIN or a locked token, the remaining files fail the same way without
// Signer, so that a batch never spends the token's PIN tries.
int RunSignTool(const std::vector<std::string>& Args, std::ostream& Out, std::ostream& Err,
                const TFileSigner& Signer);
