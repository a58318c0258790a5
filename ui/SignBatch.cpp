#include "ui/SignBatch.h"

TSignStatus JudgeSignRun(const std::string& Output, std::uint32_t ExitCode) {
    if (ExitCode == SignToolFailedExitCode)
        return ssFailed;
    return TextContains("success", Output) ? ssSigned : ssFailed;
}

TSignStatus TBatchCounters::Count(const std::string& Output, std::uint32_t ExitCode) {
    const TSignStatus Status = JudgeSignRun(Output, ExitCode);
    if (TextContains("warning", Output))
        ++Warnings;
    if (Status == ssSigned)
        ++Signed;
    else
        ++Failed;
    return Status;
}

std::string TBatchCounters::SummaryText() const {
    return std::to_string(Signed) + " files signed\n\r" + std::to_string(Warnings) +
           " warnings\n\r" + std::to_string(Failed) + " files failed";
}
