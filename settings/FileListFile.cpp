#include "settings/FileListFile.h"

#include "log/TextLines.h"
#include "settings/AtomicFile.h"

std::vector<std::string> LoadFileListFile(const std::string& Path) {
    std::string Text;
    if (!ReadFileText(Path, Text))
        return {};
    return SplitTextLines(Text);
}

void SaveFileListFile(const std::string& Path, const std::vector<std::string>& Lines) {
    std::string Text;
    for (const auto& Line : Lines) {
        Text += Line;
        Text += "\r\n";
    }
    ReplaceFileAtomically(Path, Text);
}
