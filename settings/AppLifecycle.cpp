#include "AppLifecycle.h"

#include "AppInfo.h"
#include "FileListFile.h"
#include "U_OstrinUtils.h"
#include "U_QuorvelFct.h"

namespace {
std::string SettingsIniPath(const std::string& ExePath) {
    return ProgramFolderOf(ExePath) + "settings.ini";
}

bool RunsInstalled() {
    return IsInstalled(AppInfo::UninstallDisplayName);
}
} // namespace

void ImportPortableSettings(const std::string& ExePath) {
    if (!RunsInstalled())
        ImportSettingsIni(AppInfo::Title, SettingsIniPath(ExePath));
}

void RecordRunningExecutable(const std::string& ExePath) {
    WriteMakerValue(AppInfo::Title, ExePath);
}

std::string LogFilePath(const std::string& ExePath) {
    return GetDataFolder(ExePath, AppInfo::Title) + AppInfo::Title + ".log";
}

std::string FileListPath(const std::string& ExePath) {
    return GetDataFolder(ExePath, AppInfo::Title) + AppInfo::Title + ".db";
}

std::vector<std::string> LoadFileList(const std::string& ExePath) {
    return LoadFileListFile(FileListPath(ExePath));
}

void SaveFileList(const std::string& ExePath, const std::vector<std::string>& Captions) {
    SaveFileListFile(FileListPath(ExePath), Captions);
}

std::string CleanProgramVirtualStore(const std::string& ExePath) {
    return CleanVirtualStore(ProgramFolderOf(ExePath));
}

void FinishPortableUse(const std::string& ExePath) {
    if (RunsInstalled())
        return;
    if (ReadSetting("DebugMode") != "1") {
        const std::string DataFolder = GetDataFolder(ExePath, AppInfo::Title);
        // The fallback is the program folder, which holds the program and
        // settings.ini: nothing outside the per-user data folder is deleted.
        if (DataFolder != ProgramFolderOf(ExePath))
            DeleteFilesByExtension(DataFolder, "*");
    }
    RemoveMakerFolderIfEmpty();
    try {
        if (ExportSettingsIni(AppInfo::Title, SettingsIniPath(ExePath))) {
            DeleteProductKey(AppInfo::Title);
            DeleteMakerValue(AppInfo::Title);
            DeleteMakerKeyIfEmpty();
        }
    } catch (...) {
        // Silent by rule: the settings stay in the registry for next time.
    }
}
