#include "settings/U_OstrinUtils.h"

#include "core/AnsiText.h"
#include "core/QuorvelErrors.h"
#include "settings/AtomicFile.h"
#include "settings/OstrinPlatform.h"
#include "settings/ProfileFile.h"
#include "settings/Registry.h"
#include "settings/U_QuorvelFct.h"
#include "settings/U_UnicodeUtils.h"

namespace {
constexpr const char* MakerName = "Tandrel";
constexpr const char* UninstallKeys[][2] = {
    {"CU", "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall"},
    {"LM", "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall"},
    {"LM", "SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall"}};

std::uint32_t ReadAccess() {
    return Is64BitWindows() ? RegKeyRead | RegKeyWow64_64Key : RegKeyRead;
}

std::string ProductKeyOf(const std::string& Product) {
    return std::string(MakerKeyPath) + "\\" + Product;
}
} // namespace

void WriteMakerValue(const std::string& Name, const std::string& Text) {
    TRegistry Reg(RegKeyAllAccess);
    Reg.RootKey = TRegRoot::CurrentUser;
    if (Reg.OpenKey(MakerKeyPath, true))
        Reg.WriteString(Name, Text);
}

std::string GetDataFolder(const std::string& ExePath, const std::string& Title) {
    std::string Result = ProgramFolderOf(ExePath);
    const std::string AppData = GetSpecialFolder(CSIDL_APPDATA_NUMBER);
    if (AppData.empty())
        return Result;
    const std::string MakerFolder = IncludeTrailingPathDelimiter(AppData) + MakerName + PathDelim;
    WideCreateDirectory(MakerFolder);
    const std::string DataFolder = MakerFolder + Title;
    WideCreateDirectory(DataFolder);
    if (WideDirectoryExists(DataFolder))
        Result = DataFolder + PathDelim;
    return Result;
}

std::string CleanVirtualStore(const std::string& ProgramFolder) {
    const std::string LocalAppData = GetSpecialFolder(CSIDL_LOCAL_APPDATA_NUMBER);
    // Unknown: the shadow path would start at the root of the drive, where
    // nothing is ours to delete.
    if (LocalAppData.empty())
        return {};
    const std::string Shadow =
        IncludeTrailingPathDelimiter(LocalAppData) + "VirtualStore" + PathDelim +
        (ProgramFolder.size() > DrivePrefixLength ? ProgramFolder.substr(DrivePrefixLength) : "");
    if (!WideDirectoryExists(Shadow))
        return {};
    DeleteFilesByExtension(Shadow, "SPK");
    return Shadow;
}

void ListInstalledPrograms(std::vector<std::string>& Names) {
    const std::uint32_t Access = ReadAccess();
    for (const auto& [RootName, Path] : UninstallKeys) {
        TRegistry Reg(Access);
        Reg.RootKey =
            std::string_view(RootName) == "CU" ? TRegRoot::CurrentUser : TRegRoot::LocalMachine;
        if (!Reg.OpenKey(Path, false))
            continue;
        for (const auto& SubKey : Reg.GetKeyNames()) {
            TRegistry Entry(Access);
            Entry.RootKey = Reg.RootKey;
            if (!Entry.OpenKey(std::string(Path) + "\\" + SubKey, false))
                continue;
            std::uint32_t Type = RegNone;
            if (Entry.GetDataType("DisplayName", Type) && Type == RegSz)
                Names.push_back(Entry.ReadString("DisplayName"));
            else
                Names.push_back(SubKey);
        }
    }
}

bool IsInstalled(const std::string& Prefix) {
    std::vector<std::string> Names;
    ListInstalledPrograms(Names);
    for (const auto& Name : Names)
        if (StartsTextAZ(Prefix, Name))
            return true;
    return false;
}

void ImportSettingsIni(const std::string& Product, const std::string& IniPath) {
    TRegistry Reg(RegKeyAllAccess);
    Reg.RootKey = TRegRoot::CurrentUser;
    if (!Reg.OpenKey(ProductKeyOf(Product), true))
        return;
    // A name the store cannot hold (a NUL or a line break in a damaged file)
    // is skipped: the import stays silent and goes on with the other names.
    for (const auto& Name : ProfileSectionNames(IniPath, "Settings")) {
        try {
            Reg.WriteString(Name, ProfileReadString(IniPath, "Settings", Name, ""));
        } catch (const ERegistryError&) {
        }
    }
    for (const auto& Name : ProfileSectionNames(IniPath, "Settings_DWORD")) {
        try {
            Reg.WriteInteger(Name, ProfileReadInteger(IniPath, "Settings_DWORD", Name, 0));
        } catch (const ERegistryError&) {
        }
    }
}

bool ExportSettingsIni(const std::string& Product, const std::string& IniPath) {
    TRegistry Reg(ReadAccess());
    Reg.RootKey = TRegRoot::CurrentUser;
    if (!Reg.OpenKey(ProductKeyOf(Product), true))
        return false;
    try {
        // The profile calls rewrite the file once per name; working on a copy
        // that replaces the file at the end keeps a crash or a full disk from
        // leaving settings.ini cut short or half old, half new.
        ChangeFileThroughCopy(IniPath, [&Reg](const std::string& Copy) {
            bool Wrote = false;
            for (const auto& Name : Reg.GetValueNames()) {
                std::uint32_t Type = RegNone;
                if (!Reg.GetDataType(Name, Type))
                    continue;
                if (Type == RegSz)
                    ProfileWriteString(Copy, "Settings", Name, Reg.ReadString(Name));
                else if (Type == RegDword)
                    ProfileWriteString(Copy, "Settings_DWORD", Name,
                                       std::to_string(Reg.ReadInteger(Name)));
                else
                    continue;
                Wrote = true;
            }
            return Wrote;
        });
    } catch (const std::exception&) {
        return false; // settings.ini as it was; the key stays
    }
    return true;
}

void DeleteProductKey(const std::string& Product) {
    TRegistry Reg(RegKeyAllAccess);
    Reg.RootKey = TRegRoot::CurrentUser;
    Reg.DeleteKey(ProductKeyOf(Product));
}

void DeleteMakerValue(const std::string& Name) {
    TRegistry Reg(RegKeyAllAccess);
    Reg.RootKey = TRegRoot::CurrentUser;
    if (Reg.OpenKey(MakerKeyPath, true))
        Reg.DeleteValue(Name);
}

void DeleteMakerKeyIfEmpty() {
    TRegistry Reg(RegKeyAllAccess);
    Reg.RootKey = TRegRoot::CurrentUser;
    if (!Reg.OpenKey(MakerKeyPath, false) || Reg.HasSubKeys())
        return;
    if (!Reg.GetValueNames().empty())
        return;
    Reg.CloseKey();
    Reg.DeleteKey(MakerKeyPath);
}

void ListSubfolders(const std::string& Folder, std::vector<std::string>& Subfolders) {
    const std::string Base = IncludeTrailingPathDelimiter(Folder);
    for (const auto& Name : ListFolderNames(Base))
        if (WideDirectoryExists(Base + Name))
            Subfolders.push_back(Base + Name);
}

void RemoveMakerFolderIfEmpty() {
    const std::string AppData = GetSpecialFolder(CSIDL_APPDATA_NUMBER);
    if (AppData.empty())
        return;
    const std::string MakerFolder = IncludeTrailingPathDelimiter(AppData) + MakerName + PathDelim;
    std::vector<std::string> Subfolders;
    ListSubfolders(MakerFolder, Subfolders);
    if (Subfolders.empty())
        RemoveFolder(MakerFolder);
}
