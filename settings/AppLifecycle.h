// The start-up and close steps of the data folder and portable use, as the
// main window calls them, in this order:
//
//   creation of the window   ImportPortableSettings
//   first activation         RecordRunningExecutable (first of all)
//                            ... read DebugLog, open the log at LogFilePath,
//                            write TakeStoreNotices() and the start-up facts ...
//                            LoadFileList
//   close                    SaveFileList
//                            CleanProgramVirtualStore (log its answer, Verbose,
//                            as "Cleaning VirtualStore : " + folder)
//                            FinishPortableUse
//
// ExePath is the full path of the running executable throughout.
#pragma once

#include <string>
#include <vector>

// Portable use only: settings.ini beside the executable into the product key.
void ImportPortableSettings(const std::string& ExePath);

// The maker value Quorvel = ExePath, in both modes.
void RecordRunningExecutable(const std::string& ExePath);

// Quorvel.log and Quorvel.db in the data folder (made by asking).
std::string LogFilePath(const std::string& ExePath);
std::string FileListPath(const std::string& ExePath);

// The saved list; empty when there is no file. EOSError when it cannot be read.
std::vector<std::string> LoadFileList(const std::string& ExePath);
// Replaces the file with Captions; EOSError when it cannot be written.
void SaveFileList(const std::string& ExePath, const std::vector<std::string>& Captions);

// The VirtualStore shadow folder cleaned, or the empty text.
std::string CleanProgramVirtualStore(const std::string& ExePath);

// Portable use only: empty and remove the data folder unless DebugMode is
// "1" (never when it fell back to the program folder), remove the maker
// folder when it is empty, then export the settings to settings.ini and,
// when that succeeded, remove the product key, the maker value and the
// maker key when empty. Errors of the export and clean-up are dropped.
void FinishPortableUse(const std::string& ExePath);
