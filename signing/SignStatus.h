// A row of the file list and the outcome of its last signing.
#pragma once

#include <string>
#include <string_view>

// Also the row's picture index in the status image list.
enum TSignStatus { ssPending = 0, ssSigned = 1, ssFailed = 2 };

struct TFileListEntry {
    std::string Path;
    TSignStatus Status = ssPending;
};

// True when Needle occurs in Haystack, the letters A to Z folded; false when
// either is empty. The batch judges the tool's output with it.
bool TextContains(std::string_view Needle, std::string_view Haystack);
