// A clean store for one test. Linux: fresh XDG folders in a temporary
// folder (so the hive files and data folders are the test's own). Windows:
// the real registry and application-data folders, emptied of everything the
// program and these tests create, before and after.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class TStoreSandbox {
public:
    TStoreSandbox();
    ~TStoreSandbox();
    TStoreSandbox(const TStoreSandbox&) = delete;
    TStoreSandbox& operator=(const TStoreSandbox&) = delete;

    // A scratch folder for files (settings.ini, a program folder...).
    std::filesystem::path Scratch;
    // A path separator of the platform, for composing expected paths.
    static const char Separator;
    // Makes the roaming application-data folder unusable, where the platform
    // lets a test do that; false otherwise.
    bool BreakAppData();

private:
    void Clean();
    // Linux: the XDG variables as they were before, put back at the end.
    std::vector<std::pair<std::string, std::string>> SavedEnvironment;
};

// Keeps another program from writing Path while the result lives, as a
// write-protected medium or a file held open by another program would.
std::shared_ptr<void> BlockWrites(const std::filesystem::path& Path);

// Uninstall entries for the installed test, under the uninstall key of the
// given root, in the sandbox.
void AddUninstallEntry(bool LocalMachine, const std::string& SubKey, const std::string& DisplayName,
                       bool ExpandSz = false);
