#include "tests/signing/certstore/SoftHsmToken.h"

#include "tests/fixtures/RunProgram.h"
#include "tests/fixtures/TempFolder.h"
#include "tools/signtool/InPlaceSigner.h"

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace {

void Run(const std::vector<std::string>& Argv) {
    const TProgramRun Result = RunProgram(Argv);
    if (Result.ExitStatus != 0)
        throw std::runtime_error(Argv[0] + " " + Argv[1] + " failed: " + Result.Output);
}

} // namespace

TSoftHsmToken::TSoftHsmToken(const std::string& Folder, std::string Label, std::string Pin)
    : Label(std::move(Label)), Pin(std::move(Pin)), Folder(Folder), TokenFolder(Folder + "/tokens"),
      Config(Folder + "/softhsm2.conf") {
    if (const char* Old = std::getenv("SOFTHSM2_CONF")) {
        HadConfig = true;
        SavedConfig = Old;
    }
    std::filesystem::create_directories(TokenFolder);
    WriteFileBytes(Config, "directories.tokendir = " + TokenFolder +
                               "\nobjectstore.backend = file\nlog.level = ERROR\n");
    ::setenv("SOFTHSM2_CONF", Config.c_str(), 1);
    Run({"softhsm2-util", "--init-token", "--free", "--label", this->Label, "--so-pin",
         "so-" + this->Pin, "--pin", this->Pin});
}

TSoftHsmToken::~TSoftHsmToken() {
    if (HadConfig)
        ::setenv("SOFTHSM2_CONF", SavedConfig.c_str(), 1);
    else
        ::unsetenv("SOFTHSM2_CONF");
}

void TSoftHsmToken::Import(const std::string& KeyPem, const std::string& CertPem,
                           const std::string& IdHex) {
    if (!KeyPem.empty()) {
        // softhsm2-util takes PKCS #8 only; openssl converts either form.
        const std::string Pkcs8 = Folder + "/import-" + IdHex + ".p8";
        Run({"openssl", "pkcs8", "-topk8", "-nocrypt", "-in", KeyPem, "-out", Pkcs8});
        Run({"softhsm2-util", "--import", Pkcs8, "--token", Label, "--label", "key-" + IdHex,
             "--id", IdHex, "--pin", Pin});
    }
    const std::string Der = Folder + "/import-" + IdHex + ".der";
    Run({"openssl", "x509", "-in", CertPem, "-outform", "DER", "-out", Der});
    // Through p11-kit's proxy, as every other program reaches the token.
    Run({"pkcs11-tool", "--module", FindP11KitProxy({}), "--token-label", Label, "--login", "--pin",
         Pin, "--write-object", Der, "--type", "cert", "--id", IdHex, "--label", "cert-" + IdHex});
}

void TSoftHsmToken::Remove() {
    for (const auto& Entry : std::filesystem::directory_iterator(TokenFolder))
        std::filesystem::remove_all(Entry.path());
}

std::string TSoftHsmToken::MissingPrerequisite() {
    for (const char* Tool : {"softhsm2-util", "pkcs11-tool", "openssl", "osslsigncode"})
        if (RunProgram({Tool, "--help"}).ExitStatus == 127)
            return std::string(Tool) + " is not installed";
    if (FindP11KitProxy({}).empty())
        return "p11-kit's proxy module is not installed (Debian package p11-kit-modules)";
    return {};
}

std::string OpenSslThumbprint(const std::string& CertPem) {
    const TProgramRun Result =
        RunProgram({"openssl", "x509", "-in", CertPem, "-noout", "-fingerprint", "-sha1"});
    std::string Hex;
    const std::size_t Equals = Result.Output.find('=');
    for (std::size_t I = Equals == std::string::npos ? 0 : Equals + 1; I < Result.Output.size();
         ++I)
        if (std::isxdigit(static_cast<unsigned char>(Result.Output[I])))
            Hex += Result.Output[I];
    return Hex;
}
