#include "tests/ui/qt/QtSandbox.h"

#include "tests/fixtures/FixtureFiles.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace fs = std::filesystem;

namespace {
int UnusedLoopbackPort() {
    const int Socket = ::socket(AF_INET, SOCK_STREAM, 0);
    if (Socket < 0)
        throw std::runtime_error("socket");
    sockaddr_in Address{};
    Address.sin_family = AF_INET;
    Address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t Length = sizeof Address;
    const bool Bound = ::bind(Socket, reinterpret_cast<sockaddr*>(&Address), sizeof Address) == 0 &&
                       ::getsockname(Socket, reinterpret_cast<sockaddr*>(&Address), &Length) == 0;
    ::close(Socket);
    if (!Bound)
        throw std::runtime_error("bind");
    return ntohs(Address.sin_port);
}
} // namespace

bool PathExists(const std::string& Path) {
    std::error_code Error;
    return fs::exists(fs::symlink_status(Path, Error));
}

void TQtSandbox::SetEnv(const char* Name, const std::string& Value) {
    if (!Saved.count(Name)) {
        const char* Old = std::getenv(Name);
        Saved[Name] = Old ? std::optional<std::string>(Old) : std::nullopt;
    }
    ::setenv(Name, Value.c_str(), 1);
}

TQtSandbox::TQtSandbox() {
    const std::string App = Temp / "app";
    fs::create_directories(App + "/bin");
    const std::string SdkBin = App + "/lib/quorvel/sdk/osslsigncode/bin";
    fs::create_directories(SdkBin);
    ExePath = App + "/bin/quorvel";
    ProgramFolder = App + "/bin/";
    fs::create_symlink(fs::read_symlink("/proc/self/exe"), ExePath);
    SignTool = SdkBin + "/signtool";
    fs::create_symlink(FixtureFiles().SignTool, SignTool);

    ConfigHome = Temp / "config";
    DataHome = Temp / "data";
    StateHome = Temp / "state";
    for (const std::string& Folder : {ConfigHome, DataHome, StateHome, Temp / "home"})
        fs::create_directories(Folder);
    SetEnv("HOME", Temp / "home");
    SetEnv("XDG_CONFIG_HOME", ConfigHome);
    SetEnv("XDG_DATA_HOME", DataHome);
    SetEnv("XDG_STATE_HOME", StateHome);
    MachineConfigDir = Temp / "etc/xdg";
    SetEnv("XDG_CONFIG_DIRS", MachineConfigDir);
    UserHive = ConfigHome + "/quorvel/HKEY_CURRENT_USER.reg";
    DataFolder = DataHome + "/Tandrel/Quorvel";
    DeadServiceBase = "http://127.0.0.1:" + std::to_string(UnusedLoopbackPort());
}

TQtSandbox::~TQtSandbox() {
    for (const auto& [Name, Value] : Saved) {
        if (Value)
            ::setenv(Name.c_str(), Value->c_str(), 1);
        else
            ::unsetenv(Name.c_str());
    }
}
