// The program's diagnostic log: levelled, time-stamped entries held newest
// first, capped, and written out as a whole file (never appended).
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

inline constexpr int LogVerbose = 0;
inline constexpr int LogInfo = 1;
inline constexpr int LogError = 2;

// Local calendar time of one entry.
struct TLogTime {
    int Year = 2000, Month = 1, Day = 1, Hour = 0, Minute = 0, Second = 0;
};

// What the log asks of the system besides its file; tests replace these so
// that no entry depends on the wall clock and no program is ever launched.
struct TLogHooks {
    std::function<TLogTime()> Now;                       // default: the local time
    std::function<bool(const std::string&)> OpenInShell; // default: ShellOpenEx
    char TimeSeparator = 0;                              // 0: the user's locale setting
};

class TKLog {
public:
    TKLog(std::string FileName, bool Debug, int MaxLines, bool LoadExisting);
    TKLog(std::string FileName, bool Debug, int MaxLines, bool LoadExisting, TLogHooks Hooks);
    ~TKLog();
    TKLog(const TKLog&) = delete;
    TKLog& operator=(const TKLog&) = delete;

    void Write(const std::string& Message, int Level);
    // Rewrites the file from Lines; silent, and never creates the folder.
    void Flush();
    // Saves the log and opens it with the desktop's program; false when that
    // program could not be started.
    bool OpenWithShell();

    // Index 0 is the newest entry; a deque, as every entry goes in at the front.
    std::deque<std::string> Lines;
    std::string FileName;
    int MaxLines;
    bool Debug;

private:
    TLogHooks Hooks;
};

// "[yy-mm-dd hh:mm:ss]" with the given separator between the time fields.
std::string FormatLogTimestamp(const TLogTime& Time, char TimeSeparator);

// Platform pieces (U_Log_win32.cpp / U_Log_posix.cpp).
TLogTime LocalLogTime();
char LocaleTimeSeparator();
bool LogFolderExists(const std::string& Folder);
// The folder part of a path, up to and including the last delimiter.
std::string LogFolderOf(const std::string& FileName);
// Creates or truncates the file and writes Text; throws on any failure.
void WriteLogFileText(const std::string& FileName, const std::string& Text);
// The whole file, or false when it cannot be read.
bool ReadLogFileText(const std::string& FileName, std::string& Text);
