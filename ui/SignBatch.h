// Judging one signing run and counting a batch's outcomes.
#pragma once

#include "signing/SignStatus.h"

#include <cstdint>
#include <string>

// signtool's documented exit code for a failed signing.
inline constexpr std::uint32_t SignToolFailedExitCode = 1;

// Signed when the output holds the letters "success" (letter case aside),
// except that a run that ended with the tool's failure code is failed
// whatever its output says ("unsuccessful", a path such as C:\success\).
TSignStatus JudgeSignRun(const std::string& Output, std::uint32_t ExitCode);

struct TBatchCounters {
    int Signed = 0;
    int Warnings = 0;
    int Failed = 0;

    // Counts one run and returns its status; a warning counts whatever the status.
    TSignStatus Count(const std::string& Output, std::uint32_t ExitCode);
    // "<n> files signed", LF CR, "<n> warnings", LF CR, "<n> files failed".
    std::string SummaryText() const;
};
