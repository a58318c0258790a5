#include "Sandbox.h"

#include "Registry.h"

#include <cstdlib>
#include <random>

namespace fs = std::filesystem;

const char TStoreSandbox::Separator = '/';

TStoreSandbox::TStoreSandbox() {
    std::random_device Random;
    Scratch = fs::temp_directory_path() / ("quorvel-store-" + std::to_string(Random()));
    fs::create_directories(Scratch / "scratch");
    setenv("XDG_CONFIG_HOME", (Scratch / "config").c_str(), 1);
    setenv("XDG_DATA_HOME", (Scratch / "data").c_str(), 1);
    setenv("XDG_STATE_HOME", (Scratch / "state").c_str(), 1);
    Scratch /= "scratch";
    Clean();
}

TStoreSandbox::~TStoreSandbox() {
    Clean();
    std::error_code Ignored;
    fs::remove_all(Scratch.parent_path(), Ignored);
}

void TStoreSandbox::Clean() {
    // The machine hive of a test program: beside its own executable.
    TRegistry Reg(RegKeyAllAccess);
    Reg.RootKey = TRegRoot::LocalMachine;
    Reg.DeleteKey("SOFTWARE");
}
