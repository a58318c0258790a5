#include "core/QuorvelErrors.h"
#include "core/UniqueFd.h"
#include "tools/signtool/ChildProcess.h"
#include "tools/signtool/InPlaceSigner.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool StatRegular(const std::string& Path, struct stat& Info) {
    return ::stat(Path.c_str(), &Info) == 0 && S_ISREG(Info.st_mode);
}

std::string RealPath(const std::string& Path) {
    char Resolved[PATH_MAX];
    return ::realpath(Path.c_str(), Resolved) ? std::string(Resolved) : std::string();
}

// Signtool's notion of read-only is the file's own flag: no write permission
// for anyone. Root, who may write anyway, is told the same.
bool IsReadOnly(const std::string& Path, const struct stat& Info) {
    if ((Info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        return true;
    return ::access(Path.c_str(), W_OK) != 0 && (errno == EACCES || errno == EROFS);
}

TSignOutcome Failed(TSignFailure Failure, std::string Subject = {},
                    std::vector<std::string> Details = {}) {
    return TSignOutcome{Failure, std::move(Subject), std::move(Details)};
}

TSignOutcome CannotWrite(const std::string& What, int Error) {
    return Failed(TSignFailure::CannotWrite, {},
                  {What + ": " + SysErrorMessage(static_cast<std::uint32_t>(Error))});
}

// A private folder beside the file for osslsigncode's output: on the same
// file system, so the rename that replaces the file is atomic, and removed
// with whatever is left in it on every path.
class TScratchFolder {
public:
    explicit TScratchFolder(std::string Pattern) : Path(std::move(Pattern)) {
        if (!::mkdtemp(Path.data()))
            Path.clear();
    }
    TScratchFolder(const TScratchFolder&) = delete;
    TScratchFolder& operator=(const TScratchFolder&) = delete;
    ~TScratchFolder() {
        if (!Path.empty()) {
            const int Saved = errno;
            ::unlink(File().c_str());
            ::rmdir(Path.c_str());
            errno = Saved;
        }
    }
    bool Made() const { return !Path.empty(); }
    std::string File() const { return Path + "/signed"; }

private:
    std::string Path;
};

// The signed copy takes the original's owner and permissions before it
// replaces the original. Returns 0 or the errno of the step that failed, with
// What naming it. Like signtool, which rewrites the file in place, it does
// not force the data to disk: that would cost more than the signing itself on
// a busy disk, and the rename already keeps either the whole original or the
// whole signed file under the name.
int Finish(const std::string& Signed, const struct stat& Original, std::string& What) {
    auto Fail = [&What](const char* Step) {
        What = Step;
        return errno;
    };
    TUniqueFd File(::open(Signed.c_str(), O_RDONLY | O_CLOEXEC));
    if (!File.IsOpen())
        return Fail("Cannot open the signed copy");
    struct stat Now {};
    if (::fstat(File.Get(), &Now) != 0)
        return Fail("Cannot read the signed copy's attributes");
    // The owner first: changing it may clear set-id bits that chmod restores.
    if ((Now.st_uid != Original.st_uid || Now.st_gid != Original.st_gid) &&
        ::fchown(File.Get(), Original.st_uid, Original.st_gid) != 0)
        return Fail("Cannot give the signed file the original's owner");
    if (::fchmod(File.Get(), Original.st_mode & 07777) != 0)
        return Fail("Cannot give the signed file the original's permissions");
    return 0;
}

// quorvel-token-lookup, installed beside this program.
std::string TokenLookupPath() {
    char Self[PATH_MAX];
    const ssize_t Size = ::readlink("/proc/self/exe", Self, sizeof Self - 1);
    std::string Folder = Size > 0 ? std::string(Self, static_cast<std::size_t>(Size)) : "";
    Folder.erase(Folder.rfind('/') == std::string::npos ? 0 : Folder.rfind('/'));
    return Folder + "/quorvel-token-lookup";
}

// The key on its token, or why it cannot be used. Checked in the order a
// user can mend them: the PIN, then the token.
TSignOutcome FindTokenKey(const TSignRequest& Request, TTokenKey& Key) {
    if (Request.TokenPin.empty())
        return Failed(TSignFailure::NoPin);
    if (Request.TokenPin.size() > MaxSecretSize)
        return Failed(TSignFailure::BadPin, {},
                      {"The PIN is longer than " + std::to_string(MaxSecretSize) + " characters."});
    Key.Module = FindP11KitProxy(QUORVEL_P11KIT_PROXY);
    if (Key.Module.empty())
        return Failed(TSignFailure::ProxyMissing);
    // The helper beside this program reads the tokens; it ends with 1 when
    // none holds the certificate with a key.
    const TChildResult Lookup = RunChild({TokenLookupPath(), Request.Thumbprint}, {});
    if (!Lookup.Started)
        return Failed(TSignFailure::Unexpected, {},
                      {"The token lookup could not be started: " +
                       SysErrorMessage(static_cast<std::uint32_t>(Lookup.StartError))});
    const std::size_t Break = Lookup.Output.find('\n');
    if (Lookup.ExitStatus != 0 || Break == std::string::npos)
        return Failed(TSignFailure::TokenMissing, Request.Thumbprint);
    Key.CertificateUri = Lookup.Output.substr(0, Break);
    Key.KeyUri = Lookup.Output.substr(Break + 1);
    while (!Key.KeyUri.empty() && Key.KeyUri.back() == '\n')
        Key.KeyUri.pop_back();
    if (Key.CertificateUri.empty() || Key.KeyUri.empty())
        return Failed(TSignFailure::TokenMissing, Request.Thumbprint);
    return {};
}

} // namespace

std::string FindP11KitProxy(const std::string& Preferred) {
    const std::string Candidates[] = {
        Preferred,
        "/usr/lib/" QUORVEL_LIBRARY_ARCHITECTURE "/p11-kit-proxy.so",
        "/usr/lib64/p11-kit-proxy.so",
        "/usr/lib/p11-kit-proxy.so",
        "/usr/local/lib/p11-kit-proxy.so",
    };
    struct stat Info {};
    for (const std::string& Candidate : Candidates)
        if (!Candidate.empty() && Candidate.front() == '/' && StatRegular(Candidate, Info))
            return Candidate;
    return {};
}

TSignOutcome SignFileInPlace(const TSignRequest& Request, const std::string& Path,
                             const std::string& OsslSignCode) {
    const bool OnToken = !Request.Thumbprint.empty();
    struct stat Info {};
    if (!OnToken && !StatRegular(Request.Certificate, Info))
        return Failed(TSignFailure::FileNotFound, Request.Certificate);
    // A link is followed, so the file it names is signed and the link stays.
    const std::string Target = RealPath(Path);
    struct stat Original {};
    if (Target.empty() || !StatRegular(Target, Original))
        return Failed(TSignFailure::FileNotFound, Path);
    if (IsReadOnly(Target, Original))
        return Failed(TSignFailure::ReadOnly, Path);
    TTokenKey Key;
    if (OnToken)
        if (TSignOutcome Outcome = FindTokenKey(Request, Key);
            Outcome.Failure != TSignFailure::None)
            return Outcome;
    if (!OnToken && Request.Password.size() > MaxSecretSize)
        return Failed(
            TSignFailure::BadPassword, {},
            {"The password is longer than " + std::to_string(MaxSecretSize) + " characters."});

    const std::size_t Slash = Target.rfind('/');
    const std::string Folder = Slash == 0 ? std::string("/") : Target.substr(0, Slash);
    // Not named after the file, whose name may already be as long as a name can be.
    TScratchFolder Scratch(Target.substr(0, Slash + 1) + ".signtool-XXXXXX");
    if (!Scratch.Made())
        return CannotWrite("Cannot create a temporary folder in " + Folder, errno);

    std::vector<std::string> Argv = {OsslSignCode};
    for (std::string& Arg :
         OnToken ? OsslTokenSignArguments(Request, Key, Target, Scratch.File(), SecretFdPath)
                 : OsslSignArguments(Request, Target, Scratch.File(), SecretFdPath))
        Argv.push_back(std::move(Arg));
    const TChildResult Run = RunChild(Argv, OnToken ? Request.TokenPin : Request.Password);
    if (!Run.Started)
        return Failed(
            TSignFailure::ToolMissing, {},
            {OsslSignCode + ": " + SysErrorMessage(static_cast<std::uint32_t>(Run.StartError))});
    if (Run.ExitStatus != 0)
        return OnToken ? ClassifyOsslTokenFailure(Run.ExitStatus, Run.Output)
                       : ClassifyOsslFailure(Run.ExitStatus, Run.Output);

    std::string What;
    if (const int Error = Finish(Scratch.File(), Original, What))
        return CannotWrite(What, Error);
    if (::rename(Scratch.File().c_str(), Target.c_str()) != 0)
        return CannotWrite("Cannot replace the original file", errno);
    return {};
}
