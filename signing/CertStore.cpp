#include "signing/CertStore.h"

#include "signing/SigningSettings.h"

bool FindStoreCertificate(std::string_view Thumbprint, TStoreCertificate& Found, std::time_t Now) {
    const std::string Wanted = NormalizeThumbprint(Thumbprint);
    if (Wanted.empty())
        return false;
    for (TStoreCertificate& Certificate : ListStoreCertificates(Now))
        if (Certificate.Thumbprint == Wanted) {
            Found = std::move(Certificate);
            return true;
        }
    return false;
}

bool IsStoreCertificatePresent(std::string_view Thumbprint) {
    TStoreCertificate Ignored;
    return FindStoreCertificate(Thumbprint, Ignored);
}

std::string ValidUntilText(std::time_t NotAfter) {
    std::tm Parts{};
#ifdef _WIN32
    if (gmtime_s(&Parts, &NotAfter) != 0)
        return {};
#else
    if (!gmtime_r(&NotAfter, &Parts))
        return {};
#endif
    char Text[32];
    const std::size_t Size = std::strftime(Text, sizeof Text, "%Y-%m-%d", &Parts);
    return std::string(Text, Size);
}
