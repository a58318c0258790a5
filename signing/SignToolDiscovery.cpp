#include "signing/SignToolDiscovery.h"

std::string SignToolFilter() {
    return "SignTool|" + SignToolFileName();
}

void SearchSignTool(const std::string& SdkFolder, const std::vector<std::string>& Entries,
                    const std::function<bool(const std::string&)>& FileExists,
                    const std::function<void(const std::string&)>& OnMatch) {
    for (const std::string& Entry : Entries) {
        if (Entry == "." || Entry == "..")
            continue;
        const std::string Candidate = SdkFolder + Entry + SignToolBelowEntry();
        // No stop at a match: each replaces the one before.
        if (FileExists(Candidate))
            OnMatch(Candidate);
    }
}
