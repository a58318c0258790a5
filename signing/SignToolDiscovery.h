// Finding the signing tool at start-up: a search of the SDK folder whose
// entries each may hold the tool below them. The loop is portable; where the
// folder is, how it is listed and the tool's file name are the platform's.
#pragma once

#include <functional>
#include <string>
#include <vector>

// The SDK folder, with its trailing separator: the fixed
// "C:\Program Files\Microsoft SDKs\Windows\" on Windows, whatever the
// system's own program folder; "<exe folder>/../lib/quorvel/sdk/" elsewhere.
std::string SignToolSdkFolder(const std::string& ExePath);
// Where the tool lies below an entry: "\bin\signtool.exe" or "/bin/signtool".
std::string SignToolBelowEntry();
// The tool's file name, for the "Browse" dialog's filter.
std::string SignToolFileName();
// The "Browse" dialog's filter: "SignTool|" and the tool's file name.
std::string SignToolFilter();

// Every entry of Folder (pattern "*", no kind of entry left out), in the
// order the system lists them, unsorted; empty when the folder is missing.
std::vector<std::string> ListFolderEntries(const std::string& Folder);
// True for an existing file that is not a folder.
bool IsExistingFile(const std::string& Path);

// Calls OnMatch with the tool's path for every entry that holds it, in the
// given order, passing over "." and ".."; the caller keeps the last match.
void SearchSignTool(const std::string& SdkFolder, const std::vector<std::string>& Entries,
                    const std::function<bool(const std::string&)>& FileExists,
                    const std::function<void(const std::string&)>& OnMatch);
