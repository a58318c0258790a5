#include "ui/DroppedFiles.h"

#include "core/AnsiText.h"

#include <algorithm>

namespace {

bool SignableKind(const std::string& Name) {
    static constexpr const char* Extensions[] = {".exe", ".dll", ".ocx", ".cpl", ".scr"};
    const std::string Lower = LowerCaseAZ(Name);
    for (const std::string Extension : Extensions)
        if (Lower.size() > Extension.size() &&
            Lower.compare(Lower.size() - Extension.size(), Extension.size(), Extension) == 0)
            return true;
    return false;
}

void Walk(const std::string& Folder, std::vector<std::string>& Found) {
    std::vector<TFolderEntry> Entries = ListDropFolder(Folder);
    // Letter case aside, then as stored, so that the order is the same on
    // every run and every platform.
    std::sort(Entries.begin(), Entries.end(), [](const TFolderEntry& A, const TFolderEntry& B) {
        const std::string LowerA = LowerCaseAZ(A.Name), LowerB = LowerCaseAZ(B.Name);
        return LowerA != LowerB ? LowerA < LowerB : A.Name < B.Name;
    });
    std::string Prefix = Folder;
    if (Prefix.empty() || Prefix.back() != DropPathSeparator())
        Prefix += DropPathSeparator();
    for (const TFolderEntry& Entry : Entries) {
        if (Entry.Link)
            continue;
        if (Entry.Folder)
            Walk(Prefix + Entry.Name, Found);
        else if (SignableKind(Entry.Name))
            Found.push_back(Prefix + Entry.Name);
    }
}

} // namespace

std::vector<std::string> DroppedFiles(const std::vector<std::string>& Paths) {
    std::vector<std::string> Found;
    for (const std::string& Path : Paths) {
        if (IsDropFolder(Path))
            Walk(Path, Found);
        else
            Found.push_back(Path);
    }
    return Found;
}
