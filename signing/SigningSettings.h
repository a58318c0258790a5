// What one signing command needs, and the signing tool's command line built
// from it for one file.
#pragma once

#include "core/ValueNames.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Where the certificate comes from: a .pfx file (Certificate names it) or the
// system's certificate store, a token or an HSM (CertThumbprint names it).
enum class TCertSource { PfxFile = 0, Store = 1 };

struct TSigningSettings {
    std::string SignTool, Certificate, Password;
    bool TimeStamping = true;
    std::string TimeStampURL;
    int CertDigest = 0;      // 0 "SHA256", 1 "SHA1"; anything else counts as not SHA256
    int TimeStampDigest = 0; // as CertDigest
    TCertSource CertSource = TCertSource::PfxFile;
    // The store certificate's SHA-1 thumbprint. Its initializer keeps
    // aggregate initializations written before the store existed warning-free.
    std::string CertThumbprint{};
};

// The stored text of CertSource (ValueNames.h) read back: "1" is the store,
// anything else (missing, empty, damaged) the .pfx file. A key without
// CertSource and CertThumbprint means a .pfx file, as before they existed.
TCertSource CertSourceFromSetting(std::string_view Stored);
std::string CertSourceSettingText(TCertSource Source);

// The thumbprint as signtool takes it: exactly 40 hexadecimal digits, in
// upper case. Spaces, tabs and colons are dropped first, and so are a
// no-break space and a UTF-8 left-to-right mark, which the system's
// certificate dialog puts into a thumbprint copied from it; any other
// character that is not a hex digit makes it invalid. Empty when invalid.
std::string NormalizeThumbprint(std::string_view Text);

// The name of the environment variable through which the store
// certificate's PIN reaches the signing tool; never its command line.
inline constexpr std::string_view TokenPinVariable = "QUORVEL_TOKEN_PIN";

// What the signing tool's environment gets beside the inherited one: for a
// store certificate the password field's text as the token's PIN (an empty
// one too, so that a PIN inherited from Quorvel's own environment never
// reaches the tool); nothing for a .pfx file.
std::vector<std::pair<std::string, std::string>>
SigningEnvironment(const TSigningSettings& Settings);

// The tool's command line for signing Path. Every value is inserted as it
// stands: nothing is quoted beyond the two paths, escaped or trimmed, so the
// tool receives exactly what the window shows. A store certificate gives
// "/sha1" and its normalised thumbprint in place of "/f" and "/p"; an
// invalid thumbprint must be refused before (see SignOneFile).
std::string BuildSignCommandLine(const TSigningSettings& Settings, const std::string& Path);
