// The system's chain engine judging a server's chain, with certificates the
// fixture makes on every run (make-chain-pki.sh). The Windows client hands
// the chain OpenSSL received to this same call before it sends anything.
#include "update/HttpClient.h"
#include "update/ServerTrust.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace {

std::string Pki(const std::string& Name) {
    const char* Folder = std::getenv("QUORVEL_CHAIN_PKI");
    return std::string(Folder ? Folder : "") + "\\" + Name;
}

std::string Der(const std::string& Name) {
    std::ifstream File(Pki(Name), std::ios::binary);
    EXPECT_TRUE(File) << Pki(Name);
    return {std::istreambuf_iterator<char>(File), std::istreambuf_iterator<char>()};
}

struct TChainCase {
    const char* Name;
    std::vector<std::string> Chain; // file names, the server's first
    std::string Host;
    std::string ExtraCa;
    int Error;
};

TEST(ServerChain, TheChainEngineTrustsOnlyAKnownRootAndTheRightName) {
    const std::string Ca = Pki("ca.pem");
    const TChainCase Cases[] = {
        {"trusted root", {"server.der"}, "update.test", Ca, 0},
        {"through an intermediate", {"behind.der", "inner.der"}, "update.test", Ca, 0},
        {"intermediate not sent", {"behind.der"}, "update.test", Ca, HttpErrCertificate},
        {"other host", {"server.der"}, "other.test", Ca, HttpErrCertificate},
        {"root not trusted", {"server.der"}, "update.test", "", HttpErrCertificate},
        {"stranger's root", {"stranger.der"}, "update.test", Ca, HttpErrCertificate},
        {"a root is no server", {"ca.der"}, "update.test", Ca, HttpErrCertificate},
        {"no certificate", {}, "update.test", Ca, HttpErrCertificate},
        {"unreadable root file", {"server.der"}, "update.test", Pki("none.pem"), HttpErrTlsFailed},
    };
    for (const TChainCase& C : Cases) {
        SCOPED_TRACE(C.Name);
        std::vector<std::string> Chain;
        for (const std::string& File : C.Chain)
            Chain.push_back(Der(File));
        EXPECT_EQ(VerifyServerChain(Chain, C.Host, C.ExtraCa), C.Error);
    }
    EXPECT_EQ(VerifyServerChain({"not a certificate"}, "update.test", Ca), HttpErrCertificate);
}

} // namespace
