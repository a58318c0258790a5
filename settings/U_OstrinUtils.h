// The data folder, the maker value, the VirtualStore clean-up, the installed
// test and the settings.ini round trip of portable use.
#pragma once

#include <string>
#include <vector>

// Shell special-folder numbers used by the program.
inline constexpr int CSIDL_APPDATA_NUMBER = 26;       // roaming application data
inline constexpr int CSIDL_LOCAL_APPDATA_NUMBER = 28; // local application data
inline constexpr int CSIDL_SYSTEM_NUMBER = 0x25;      // the system folder

// Writes Text as REG_SZ under HKEY_CURRENT_USER\SOFTWARE\Tandrel (created
// when missing).
void WriteMakerValue(const std::string& Name, const std::string& Text);
// Makes <application data>\Tandrel\<Title>\ and returns it, with the
// trailing separator; the program folder when it cannot be made.
std::string GetDataFolder(const std::string& ExePath, const std::string& Title);
// Deletes the files of Folder whose extension is Extension ("*": all), in
// subfolders whose names match too, then removes Folder when it is empty.
// Never follows a link out of Folder. Failures are ignored; always true.
bool DeleteFilesByExtension(const std::string& Folder, const std::string& Extension);
// Deletes the SPK files of the program folder's VirtualStore shadow; the
// shadow folder when it existed, else the empty text.
std::string CleanVirtualStore(const std::string& ProgramFolder);
// The path of a shell special folder (numbers above), or the empty text.
std::string GetSpecialFolder(int Csidl);
// True when an uninstaller entry's display name begins with Prefix.
bool IsInstalled(const std::string& Prefix);
void ListInstalledPrograms(std::vector<std::string>& Names);
// settings.ini <-> HKEY_CURRENT_USER\SOFTWARE\Tandrel\<Product>.
void ImportSettingsIni(const std::string& Product, const std::string& IniPath);
bool ExportSettingsIni(const std::string& Product, const std::string& IniPath);
void DeleteProductKey(const std::string& Product);
void DeleteMakerValue(const std::string& Name);
void DeleteMakerKeyIfEmpty();
void RemoveMakerFolderIfEmpty();
// Full paths of Folder's direct subfolders.
void ListSubfolders(const std::string& Folder, std::vector<std::string>& Subfolders);
// The folder of ExePath with the trailing separator.
std::string ProgramFolderOf(const std::string& ExePath);
