#include "SigningSettings.h"

std::string BuildSignCommandLine(const TSigningSettings& Settings, const std::string& Path) {
    std::string TimeStampPart;
    if (Settings.TimeStamping) {
        TimeStampPart = "/tr " + Settings.TimeStampURL;
        if (Settings.TimeStampDigest == 0)
            TimeStampPart += " /td SHA256";
    }
    const std::string DigestPart = Settings.CertDigest == 0 ? "/fd SHA256" : "";

    std::string Line;
    Line.reserve(Settings.SignTool.size() + Settings.Certificate.size() + Settings.Password.size() +
                 TimeStampPart.size() + Path.size() + 32);
    Line += Settings.SignTool;
    Line += " sign ";
    Line += DigestPart;
    Line += " /f \"";
    Line += Settings.Certificate;
    Line += "\" /p ";
    Line += Settings.Password;
    Line += ' ';
    Line += TimeStampPart;
    Line += " \"";
    Line += Path;
    Line += '"';
    return Line;
}
