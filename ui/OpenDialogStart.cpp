#include "ui/OpenDialogStart.h"

#include <cctype>
#include <cstddef>
#include <string_view>

namespace {

char Lower(char C) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(C)));
}

// '*' any run of characters, '?' any one, the rest letter case aside. "*.*"
// matches a name without a dot too, as the platform's dialog does.
bool GlobMatches(std::string_view Pattern, std::string_view Name) {
    if (Pattern == "*.*")
        return true;
    std::size_t P = 0, N = 0, StarP = std::string_view::npos, StarN = 0;
    while (N < Name.size()) {
        if (P < Pattern.size() && Pattern[P] == '*') {
            StarP = P++;
            StarN = N;
        } else if (P < Pattern.size() &&
                   (Pattern[P] == '?' || Lower(Pattern[P]) == Lower(Name[N]))) {
            ++P;
            ++N;
        } else if (StarP != std::string_view::npos) {
            P = StarP + 1;
            N = ++StarN;
        } else {
            return false;
        }
    }
    while (P < Pattern.size() && Pattern[P] == '*')
        ++P;
    return P == Pattern.size();
}

// The pattern lists are the filter's even pieces: "Name|list|Name|list".
bool FilterShows(const std::string& BarFilter, std::string_view Name) {
    std::string_view Rest = BarFilter;
    bool IsPatternList = false;
    while (true) {
        const std::size_t Bar = Rest.find('|');
        const std::string_view Piece = Rest.substr(0, Bar);
        if (IsPatternList) {
            std::string_view Patterns = Piece;
            while (!Patterns.empty()) {
                const std::size_t Semicolon = Patterns.find(';');
                const std::string_view Pattern = Patterns.substr(0, Semicolon);
                if (!Pattern.empty() && GlobMatches(Pattern, Name))
                    return true;
                if (Semicolon == std::string_view::npos)
                    break;
                Patterns.remove_prefix(Semicolon + 1);
            }
        }
        if (Bar == std::string_view::npos)
            return false;
        Rest.remove_prefix(Bar + 1);
        IsPatternList = !IsPatternList;
    }
}

} // namespace

std::string OpenDialogStartName(const std::string& LastChoice, const std::string& BarFilter) {
    const std::size_t Separator = LastChoice.find_last_of("\\/");
    const std::size_t NameStart = Separator == std::string::npos ? 0 : Separator + 1;
    const std::string_view Name = std::string_view(LastChoice).substr(NameStart);
    if (!Name.empty() && FilterShows(BarFilter, Name))
        return LastChoice;
    return LastChoice.substr(0, NameStart);
}
