#include "settings/AppLifecycle.h"

#include "AppInfo.h"
#include "core/QuorvelErrors.h"
#include "core/ValueNames.h"
#include "settings/FileListFile.h"
#include "settings/U_OstrinUtils.h"
#include "settings/U_QuorvelFct.h"

namespace {
std::string SettingsIniPath(const std::string& ExePath) {
    return ProgramFolderOf(ExePath) + "settings.ini";
}

bool RunsInstalled() {
    return IsInstalled(AppInfo::UninstallDisplayName);
}

// The switch is on for the exact text "1" only. A value of another type (a
// REG_DWORD brought in by settings.ini's "Settings_DWORD" section) holds no
// text, so it leaves the switch off; letting its read error through would
// stop every close from then on, and the window could never be closed.
bool DebugModeIsOn() {
    try {
        return ReadSetting(ValueNames::DebugMode) == "1";
    } catch (const ERegistryError&) {
        return false;
    }
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
    if (!DebugModeIsOn()) {
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
