#include "log/U_Log.h"

#include "core/Shell.h"
#include "log/TextLines.h"

#include <cstdio>
#include <utility>

namespace {
const char* LevelName(int Level) {
    switch (Level) {
    case LogVerbose:
        return "Verbose";
    case LogInfo:
        return "Info";
    default:
        return "Error";
    }
}
} // namespace

std::string FormatLogTimestamp(const TLogTime& Time, char TimeSeparator) {
    char Buffer[64];
    std::snprintf(Buffer, sizeof Buffer, "[%02d-%02d-%02d %02d%c%02d%c%02d]", Time.Year % 100,
                  Time.Month, Time.Day, Time.Hour, TimeSeparator, Time.Minute, TimeSeparator,
                  Time.Second);
    return Buffer;
}

TKLog::TKLog(std::string FileName, bool Debug, int MaxLines, bool LoadExisting)
    : TKLog(std::move(FileName), Debug, MaxLines, LoadExisting, TLogHooks{}) {}

TKLog::TKLog(std::string FileName, bool Debug, int MaxLines, bool LoadExisting, TLogHooks Hooks)
    : FileName(std::move(FileName)), MaxLines(MaxLines), Debug(Debug), Hooks(std::move(Hooks)) {
    if (!this->Hooks.Now)
        this->Hooks.Now = LocalLogTime;
    if (!this->Hooks.OpenInShell)
        this->Hooks.OpenInShell = [](const std::string& Target) { return ShellOpenEx(Target); };
    if (this->Hooks.TimeSeparator == 0)
        this->Hooks.TimeSeparator = LocaleTimeSeparator();
    std::string Text;
    if (LoadExisting && ReadLogFileText(this->FileName, Text))
        for (auto& Line : SplitTextLines(Text))
            Lines.push_back(std::move(Line));
}

TKLog::~TKLog() {
    Flush();
}

void TKLog::Write(const std::string& Message, int Level) {
    if (Level == LogVerbose && !Debug)
        return;
    // No caller passes a negative level; it is recorded as Error, like any
    // level outside the three known ones.
    if (Level > LogError || Level < LogVerbose)
        Level = LogError;
    std::string Entry = LevelName(Level);
    Entry += '\t';
    Entry += FormatLogTimestamp(Hooks.Now(), Hooks.TimeSeparator);
    Entry += '\t';
    Entry += Message;
    Lines.push_front(std::move(Entry));
    if (static_cast<long long>(Lines.size()) > MaxLines)
        Lines.pop_back();
    if (Debug)
        Flush();
}

void TKLog::Flush() {
    try {
        if (!LogFolderExists(LogFolderOf(FileName)))
            return;
        std::string Text;
        std::size_t Size = 0;
        for (const auto& Line : Lines)
            Size += Line.size() + 2;
        Text.reserve(Size);
        for (const auto& Line : Lines) {
            Text += Line;
            Text += "\r\n";
        }
        WriteLogFileText(FileName, Text);
    } catch (...) {
        // Saving the log is silent by rule; the entries stay for the next try.
    }
}

bool TKLog::OpenWithShell() {
    Flush();
    return Hooks.OpenInShell(FileName);
}
