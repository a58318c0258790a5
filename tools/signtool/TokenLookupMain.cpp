// quorvel-token-lookup THUMBPRINT: where the certificate with this SHA-1
// thumbprint and its key are on the PKCS#11 tokens registered with p11-kit.
// Writes the certificate's and the key's PKCS#11 URIs, one a line, and
// exits with 0; exits with 1 when no token holds it with a key, 2 on a
// wrong command line. The signtool stand-in runs it for /sha1: p11-kit
// comes only as a shared library, and the stand-in, started once per file,
// stays a static program that the dynamic loader never has to set up.
#include "signing/CertStore.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2)
        return 2;
    TStoreCertificate Found;
    if (!FindStoreCertificate(argv[1], Found) || Found.CertificateUri.empty() ||
        Found.KeyUri.empty())
        return 1;
    std::printf("%s\n%s\n", Found.CertificateUri.c_str(), Found.KeyUri.c_str());
    return std::fflush(stdout) == 0 ? 0 : 2;
}
