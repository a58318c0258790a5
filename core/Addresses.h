// Every outside address the program knows, in one place. The maker's site
// uses the reserved domain tandrel.example; tests point the update checker at
// their own local server instead.
#pragma once

#include <array>

namespace Addresses {
// The maker's web site, opened after "Yes" to a newer version and by "Web Site".
inline constexpr const char* MakerWebSite = "https://www.tandrel.example";
// Pages of the maker's site (bug tracker list, change log, forum).
inline constexpr const char* BugTrackerPage =
    "https://www.tandrel.example/bugs/view_all_bug_page.php?project_id=21";
inline constexpr const char* ChangeLogPage =
    "https://www.tandrel.example/bugs/changelog_page.php?project_id=21";
inline constexpr const char* ForumPage = "https://www.tandrel.example/forum";
inline constexpr const char* ContactMail = "mailto:contact@tandrel.example";
// Scheme and host of the update service; the path and query are the checker's.
inline constexpr const char* UpdateServiceBase = "https://www.tandrel.example";
// The vendor's SignTool documentation, shown while no tool is known.
inline constexpr const char* SignToolDocumentation =
    "https://learn.microsoft.com/en-us/library/windows/desktop/aa387764%28v=vs.85%29.aspx";

// Public RFC 3161 services with unencrypted addresses, in the order offered;
// the first is the default when none is stored.
inline constexpr std::array<const char*, 9> TimestampServers = {
    "http://timestamp.digicert.com",
    "http://timestamp.sectigo.com",
    "http://timestamp.acs.microsoft.com",
    "http://timestamp.globalsign.com/tsa/r6advanced1",
    "http://timestamp.entrust.net/TSS/RFC3161sha2TS",
    "http://time.certum.pl",
    "http://timestamp.sectigo.com/qualified",
    "http://rfc3161timestamp.globalsign.com/advanced",
    "http://timestamp.apple.com/ts01",
};
} // namespace Addresses
