#include "update/U_HTTP_Custo.h"

#include "core/AnsiText.h"
#include "update/HttpClient.h"
#include "update/OpenSslLoader.h"

std::string UrlEncode(std::string_view Text) {
    static const char Hex[] = "0123456789ABCDEF";
    std::string Out;
    Out.reserve(Text.size());
    for (const char C : Text) {
        const auto B = static_cast<unsigned char>(C);
        if ((B >= 'A' && B <= 'Z') || (B >= 'a' && B <= 'z') || (B >= '0' && B <= '9') ||
            B == '-' || B == '.' || B == '_') {
            Out += C;
        } else if (B == ' ') {
            Out += "%20";
        } else {
            Out += '%';
            Out += Hex[B >> 4];
            Out += Hex[B & 15];
        }
    }
    return Out;
}

bool IsSslAvailable(TOpenSslLoader& Ssl) {
    return Ssl.IsAvailable();
}

std::string HttpFallbackUrl(TOpenSslLoader& Ssl, const std::string& Url) {
    if (StartsTextAZ("https", Url) && !IsSslAvailable(Ssl))
        return "http" + Url.substr(5);
    return Url;
}

std::string GetOpenSSLVersionText(TOpenSslLoader& Ssl) {
    return Ssl.VersionText();
}

void SetupHttpClient(THttpClient& Client) {
    Client.Agent = HttpUserAgent;
    Client.RequestVer = "1.1";
    Client.Accept = HttpAccept;
    Client.AcceptLanguage = HttpAcceptLanguage;
    Client.Timeout = std::chrono::seconds(3);
    Client.ProxyAuth = THttpProxyAuth::Basic;
}

TOpenSslLoader& ProcessOpenSsl() {
    static TOpenSslLoader Loader;
    return Loader;
}

bool IsSslAvailable() {
    return IsSslAvailable(ProcessOpenSsl());
}

std::string HttpFallbackUrl(const std::string& Url) {
    return HttpFallbackUrl(ProcessOpenSsl(), Url);
}

std::string GetOpenSSLVersionText() {
    return GetOpenSSLVersionText(ProcessOpenSsl());
}
