// A recording stand-in for every collaborator of the main window: settings
// store, data folder and portable steps, log, environment, update checker,
// signing tool and file tests. Each call is noted in Calls, in order; a call
// whose note equals FailAt raises an OS error instead.
#pragma once

#include "core/QuorvelErrors.h"
#include "log/U_Log.h"
#include "signing/SignToolDiscovery.h"
#include "ui/MainServices.h"

#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

class TFakeServices;

class TFakeUpdateChecker : public IMainUpdateChecker {
public:
    TFakeUpdateChecker(std::vector<std::string>& Calls, IUpdateCheckOwner& Owner)
        : Calls(Calls), Owner(Owner) {}
    ~TFakeUpdateChecker() override {
        Calls.push_back("UpdateChecker released");
        if (OnRelease)
            OnRelease();
    }
    TFakeUpdateChecker(const TFakeUpdateChecker&) = delete;
    TFakeUpdateChecker& operator=(const TFakeUpdateChecker&) = delete;
    void Check() override { Calls.push_back("Check"); }

    std::vector<std::string>& Calls;
    IUpdateCheckOwner& Owner;
    std::function<void()> OnRelease;
};

class TFakeServices : public IMainServices {
public:
    std::vector<std::string> Calls;
    std::string FailAt;

    std::string Exe = "C:\\Apps\\Quorvel\\Quorvel.exe";
    std::vector<std::string> Args;
    std::string Version = "2.1.1.20";
    std::map<std::string, std::string> Settings;
    std::vector<std::string> StoreNotices;
    std::vector<std::string> SavedList;          // the file-list file
    std::vector<std::vector<std::string>> Saves; // every SaveFileList
    std::string VirtualStoreAnswer;
    bool Installed = true;
    std::set<std::string> ExistingFiles;
    std::string SdkFolder = "SDK" + SignToolBelowEntry().substr(0, 1);
    std::vector<std::string> SdkEntries;
    // The log file's path; by default in a folder that does not exist, so
    // that nothing is written.
    std::string LogFile = "no-such-quorvel-folder/Quorvel.log";
    std::vector<std::string> ShellOpenedLogs;

    // The signing tool: by default "Successfully signed" and exit code 0.
    std::function<std::uint32_t(const std::string&, std::string&)> Tool = [](const std::string&,
                                                                             std::string& Output) {
        Output += "Successfully signed\r\n";
        return 0u;
    };
    std::vector<std::string> CommandLines;

    TKLog* CreatedLog = nullptr;
    TFakeUpdateChecker* CreatedChecker = nullptr;

    // The log's messages, oldest first, without level and time.
    std::vector<std::string> LogMessages() const {
        std::vector<std::string> Result;
        if (!CreatedLog)
            return Result;
        for (auto Line = CreatedLog->Lines.rbegin(); Line != CreatedLog->Lines.rend(); ++Line)
            Result.push_back(Line->substr(Line->rfind('\t') + 1));
        return Result;
    }

    std::string ExePath() override { return Exe; }
    std::vector<std::string> Arguments() override { return Args; }
    std::string FileVersionText(const std::string& Path) override {
        Note("FileVersionText " + Path);
        return Version;
    }
    std::string ReadSetting(const std::string& Name) override {
        Note("ReadSetting " + Name);
        const auto Found = Settings.find(Name);
        return Found == Settings.end() ? std::string() : Found->second;
    }
    bool WriteSetting(const std::string& Name, const std::string& Value) override {
        Note("WriteSetting " + Name + "=" + Value);
        Settings[Name] = Value;
        return true;
    }
    bool WriteIntSetting(const std::string& Name, std::int32_t Value) override {
        Note("WriteIntSetting " + Name + "=" + std::to_string(Value));
        Settings[Name] = std::to_string(Value);
        return true;
    }
    std::vector<std::string> TakeStoreNotices() override {
        Note("TakeStoreNotices");
        return std::exchange(StoreNotices, {});
    }
    void ImportPortableSettings() override { Note("ImportPortableSettings"); }
    void RecordRunningExecutable() override { Note("RecordRunningExecutable"); }
    std::string LogFilePath() override {
        Note("LogFilePath");
        return LogFile;
    }
    std::vector<std::string> LoadFileList() override {
        Note("LoadFileList");
        return SavedList;
    }
    void SaveFileList(const std::vector<std::string>& Captions) override {
        Note("SaveFileList");
        SavedList = Captions;
        Saves.push_back(Captions);
    }
    std::string CleanProgramVirtualStore() override {
        Note("CleanProgramVirtualStore");
        return VirtualStoreAnswer;
    }
    bool IsInstalled() override {
        Note("IsInstalled");
        return Installed;
    }
    void FinishPortableUse() override { Note("FinishPortableUse"); }
    std::unique_ptr<TKLog> CreateLog(const std::string& FileName, bool Debug) override {
        Note("CreateLog " + FileName + (Debug ? " debug" : ""));
        TLogHooks Hooks;
        Hooks.Now = [] { return TLogTime{2026, 12, 10, 12, 0, 0}; };
        Hooks.OpenInShell = [this](const std::string& Path) {
            ShellOpenedLogs.push_back(Path);
            return true;
        };
        Hooks.TimeSeparator = ':';
        auto Log = std::make_unique<TKLog>(FileName, Debug, 10000, false, std::move(Hooks));
        CreatedLog = Log.get();
        return Log;
    }
    void WriteEnvironmentFacts(TKLog& Log,
                               const std::optional<std::string>& FirstArgument) override {
        Note("WriteEnvironmentFacts");
        Log.Write("Portable : No", LogInfo);
        if (FirstArgument)
            Log.Write(*FirstArgument, LogInfo);
        Log.Write("OpenSSL : test", LogInfo);
    }
    std::unique_ptr<IMainUpdateChecker> CreateUpdateChecker(TKLog&, IUiDispatcher&,
                                                            IUpdateCheckOwner& Owner) override {
        Note("CreateUpdateChecker");
        auto Checker = std::make_unique<TFakeUpdateChecker>(Calls, Owner);
        CreatedChecker = Checker.get();
        return Checker;
    }
    // Every run through RunCommandWith: its environment (its command line
    // goes to CommandLines like any other).
    std::vector<std::vector<std::pair<std::string, std::string>>> Environments;
    std::uint32_t RunCommandWith(const std::string& CommandLine, std::string& Output,
                                 const TRunOptions& Options) override {
        CommandLines.push_back(CommandLine);
        Environments.push_back(Options.Environment);
        return Tool(CommandLine, Output);
    }
    // The system's store: its certificates, with their keys.
    std::vector<TStoreCertificate> Certificates;
    std::vector<TStoreCertificate> StoreCertificates() override {
        Note("StoreCertificates");
        return Certificates;
    }
    bool StoreCertificatePresent(const std::string& Thumbprint) override {
        Note("StoreCertificatePresent " + Thumbprint);
        for (const auto& Certificate : Certificates)
            if (Certificate.Thumbprint == Thumbprint)
                return true;
        return false;
    }
    TCommandRunner CommandRunner() override {
        return [this](const std::string& CommandLine, std::string& Output) {
            CommandLines.push_back(CommandLine);
            return Tool(CommandLine, Output);
        };
    }
    // The file test: ExistingFiles, unless a test puts the system's own here.
    std::function<bool(const std::string&)> FileTest;
    bool FileExists(const std::string& Path) override {
        return FileTest ? FileTest(Path) : ExistingFiles.count(Path) > 0;
    }
    std::string SignToolSdkFolder() override { return SdkFolder; }
    std::vector<std::string> ListFolder(const std::string& Folder) override {
        Note("ListFolder " + Folder);
        return SdkEntries;
    }

private:
    void Note(const std::string& Call) {
        Calls.push_back(Call);
        if (!FailAt.empty() && Call == FailAt)
            throw EOSError(5, "Access is denied.");
    }
};
