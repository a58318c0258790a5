#include "signing/SigningSettings.h"

#include "core/AnsiText.h"

namespace {

constexpr std::size_t ThumbprintDigits = 40;

} // namespace

TCertSource CertSourceFromSetting(std::string_view Stored) {
    return Stored == "1" ? TCertSource::Store : TCertSource::PfxFile;
}

std::string CertSourceSettingText(TCertSource Source) {
    return Source == TCertSource::Store ? "1" : "0";
}

std::string NormalizeThumbprint(std::string_view Text) {
    static constexpr char Digits[] = "0123456789ABCDEF";
    std::string Result;
    Result.reserve(ThumbprintDigits);
    for (std::size_t I = 0; I < Text.size(); ++I) {
        const char C = Text[I];
        if (C == ' ' || C == '\t' || C == ':')
            continue;
        // A no-break space, in the system code page or as UTF-8.
        if (C == '\xA0')
            continue;
        if (Text.substr(I, 2) == "\xC2\xA0") {
            ++I;
            continue;
        }
        if (Text.substr(I, 3) == "\xE2\x80\x8E") {
            I += 2;
            continue;
        }
        const int Value = HexDigitValue(C);
        if (Value < 0 || Result.size() == ThumbprintDigits)
            return {};
        Result += Digits[Value];
    }
    return Result.size() == ThumbprintDigits ? Result : std::string();
}

std::vector<std::pair<std::string, std::string>>
SigningEnvironment(const TSigningSettings& Settings) {
    if (Settings.CertSource != TCertSource::Store)
        return {};
    return {{std::string(TokenPinVariable), Settings.Password}};
}

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
                 TimeStampPart.size() + Path.size() + 64);
    Line += Settings.SignTool;
    Line += " sign ";
    Line += DigestPart;
    if (Settings.CertSource == TCertSource::Store) {
        Line += " /sha1 ";
        Line += NormalizeThumbprint(Settings.CertThumbprint);
    } else {
        Line += " /f \"";
        Line += Settings.Certificate;
        Line += "\" /p ";
        Line += Settings.Password;
    }
    Line += ' ';
    Line += TimeStampPart;
    Line += " \"";
    Line += Path;
    Line += '"';
    return Line;
}
