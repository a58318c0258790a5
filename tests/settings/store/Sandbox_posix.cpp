#include "tests/settings/store/Sandbox.h"

#include "settings/Registry.h"

#include <cstdlib>
#include <fstream>
#include <random>

namespace fs = std::filesystem;

const char TStoreSandbox::Separator = '/';

TStoreSandbox::TStoreSandbox() {
    std::random_device Random;
    Scratch = fs::temp_directory_path() / ("quorvel-store-" + std::to_string(Random()));
    fs::create_directories(Scratch / "scratch");
    for (const char* Name :
         {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME", "XDG_CONFIG_DIRS"})
        if (const char* Value = getenv(Name))
            SavedEnvironment.emplace_back(Name, Value);
        else
            SavedEnvironment.emplace_back(Name, std::string(1, '\0'));
    setenv("XDG_CONFIG_HOME", (Scratch / "config").c_str(), 1);
    setenv("XDG_DATA_HOME", (Scratch / "data").c_str(), 1);
    setenv("XDG_STATE_HOME", (Scratch / "state").c_str(), 1);
    setenv("XDG_CONFIG_DIRS", (Scratch / "machine").c_str(), 1);
    Scratch /= "scratch";
    Clean();
}

TStoreSandbox::~TStoreSandbox() {
    Clean();
    std::error_code Ignored;
    fs::remove_all(Scratch.parent_path(), Ignored);
    for (const auto& [Name, Value] : SavedEnvironment)
        if (Value == std::string(1, '\0'))
            unsetenv(Name.c_str());
        else
            setenv(Name.c_str(), Value.c_str(), 1);
}

void TStoreSandbox::Clean() {
    // The machine hive of a test: in its own XDG configuration folder.
    TRegistry Reg(RegKeyAllAccess);
    Reg.RootKey = TRegRoot::LocalMachine;
    Reg.DeleteKey("SOFTWARE");
}

bool TStoreSandbox::BreakAppData() {
    // A file where the folder should be: nothing can be made inside it.
    const auto Blocker = Scratch.parent_path() / "data-is-a-file";
    std::ofstream(Blocker) << "x";
    setenv("XDG_DATA_HOME", Blocker.c_str(), 1);
    return true;
}

std::shared_ptr<void> BlockWrites(const fs::path& Path) {
    // No write bit: the store honours it as the read-only attribute, also for
    // the superuser.
    const auto Write = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    fs::permissions(Path, Write, fs::perm_options::remove);
    return std::shared_ptr<void>(nullptr, [Path](void*) {
        std::error_code Ignored;
        fs::permissions(Path, fs::perms::owner_write, fs::perm_options::add, Ignored);
    });
}
