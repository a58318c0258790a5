// What one signing command needs, and the signing tool's command line built
// from it for one file.
#pragma once

#include <string>

struct TSigningSettings {
    std::string SignTool, Certificate, Password;
    bool TimeStamping = true;
    std::string TimeStampURL;
    int CertDigest = 0;      // 0 "SHA256", 1 "SHA1"; anything else counts as not SHA256
    int TimeStampDigest = 0; // as CertDigest
};

// The tool's command line for signing Path. Every value is inserted as it
// stands: nothing is quoted beyond the two paths, escaped or trimmed, so the
// tool receives exactly what the window shows.
std::string BuildSignCommandLine(const TSigningSettings& Settings, const std::string& Path);
