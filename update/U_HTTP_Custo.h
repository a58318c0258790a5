// The update check's HTTP set-up: URL encoding, the TLS availability test with
// its fall-back to http, the common client settings, and the OpenSSL version
// text of the start-up log.
#pragma once

#include <string>
#include <string_view>

class THttpClient;
class TOpenSslLoader;

// Letters, digits, "-", "." and "_" stay; a blank is %20; every other byte is
// % and two upper-case hexadecimal digits.
std::string UrlEncode(std::string_view Text);

bool IsSslAvailable(TOpenSslLoader& Ssl);
// "https..." becomes "http..." when TLS is unavailable; anything else is kept.
std::string HttpFallbackUrl(TOpenSslLoader& Ssl, const std::string& Url);
std::string GetOpenSSLVersionText(TOpenSslLoader& Ssl);

// User agent, HTTP 1.1, Accept and Accept-Language, 3 seconds, Basic proxy
// authentication.
void SetupHttpClient(THttpClient& Client);

inline constexpr const char* HttpUserAgent = "Mozilla/5.0";
inline constexpr const char* HttpAccept =
    "text/html,application/xhtml+xml,application/xml;q=0.9,image/webp,*/*;q=0.8";
inline constexpr const char* HttpAcceptLanguage = "fr,fr-fr;q=0.8,en-us;q=0.5,en;q=0.3";

// The process's one loader, for callers that cannot be handed one (the
// start-up log's version line). It is made on first use, loads nothing until
// asked, and keeps what it loaded until the process ends: a loaded OpenSSL
// pins itself anyway. Code that owns a loader passes it instead.
TOpenSslLoader& ProcessOpenSsl();
bool IsSslAvailable();
std::string HttpFallbackUrl(const std::string& Url);
std::string GetOpenSSLVersionText();
