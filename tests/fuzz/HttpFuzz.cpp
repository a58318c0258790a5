// What a server (or anyone in between) sends the update check: any bytes,
// in any pieces, give a response within the limits or one of the client's
// error numbers; a well-formed chunked or sized body arrives whole however
// the connection cuts it; addresses and redirection targets stay parseable.
#include "tests/fuzz/FuzzSupport.h"
#include "update/HttpClient.h"
#include "update/HttpResponse.h"

#include <cstring>

namespace {

constexpr THttpLimits Limits{4096, 1024};

void CheckAnyResponse(std::string_view Bytes, std::size_t Piece) {
    THttpHead Head;
    std::string Body;
    const int E = ParseHttpResponse(Bytes, Limits, Head, Body, Piece);
    FUZZ_CHECK(Body.size() <= Limits.MaxBody);
    if (E != 0) {
        FUZZ_CHECK(E > 20000 && E < 20016);
        return;
    }
    FUZZ_CHECK(Head.Status >= 0 && Head.Status <= 999 &&
               !(Head.Status >= 100 && Head.Status < 200));
    FUZZ_CHECK(Head.Reason.find('\n') == std::string::npos);
    if (Head.HasLength && !Head.Chunked && Body.size() != 0)
        FUZZ_CHECK(Body.size() == Head.Length);
    // Every piece size reads the same response.
    THttpHead Whole;
    std::string WholeBody;
    FUZZ_CHECK(ParseHttpResponse(Bytes, Limits, Whole, WholeBody) == 0);
    FUZZ_CHECK(WholeBody == Body && Whole.Status == Head.Status && Whole.Reason == Head.Reason);
}

// A body sent in chunks of the fuzzer's choosing reads back as sent, as long
// as the chunk lines fit the allowance they share with the trailers.
void CheckChunked(TFuzzInput& In, std::size_t Piece) {
    const std::string Body = In.Text();
    std::string Wire = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";
    std::size_t Meta = 0; // bytes of the lines counted against MaxHeader
    std::size_t At = 0;
    while (At < Body.size()) {
        const std::size_t Size = std::min<std::size_t>(1 + In.Byte() % 64, Body.size() - At);
        char Line[32];
        std::snprintf(Line, sizeof Line, In.Flag() ? "%zx\r\n" : "%zX;ext=1\r\n", Size);
        Wire += Line;
        Wire.append(Body, At, Size);
        Wire += "\r\n";
        Meta += std::strlen(Line) + 2;
        At += Size;
    }
    Wire += "0\r\n\r\n";
    Meta += 5;
    if (Body.size() > Limits.MaxBody)
        return;
    THttpHead Head;
    std::string Got;
    const int E = ParseHttpResponse(Wire, Limits, Head, Got, Piece);
    if (Meta > Limits.MaxHeader) {
        FUZZ_CHECK(E == HttpErrHeaderTooLarge);
        return;
    }
    FUZZ_CHECK(E == 0 && Got == Body && Head.Status == 200 && Head.Reason == "OK");
}

void CheckAddresses(const std::string& Address, const std::string& Location) {
    THttpUrl Url;
    if (!ParseHttpUrl(Address, Url))
        return;
    FUZZ_CHECK(!Url.Host.empty() && Url.Port != 0 && !Url.Target.empty() && Url.Target[0] == '/');
    // The address the client would ask for next is either refused or sound.
    THttpUrl Next;
    if (ParseHttpUrl(ResolveHttpLocation(Url, Location), Next))
        FUZZ_CHECK(!Next.Host.empty() && Next.Target[0] == '/');
    // An origin-relative target stays on the same server.
    if (!Location.empty() && Location[0] == '/' && (Location.size() < 2 || Location[1] != '/')) {
        if (ParseHttpUrl(ResolveHttpLocation(Url, Location), Next))
            FUZZ_CHECK(Next.Host == Url.Host && Next.Port == Url.Port && Next.Tls == Url.Tls);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    TFuzzInput In(Data, Size);
    const std::uint8_t Mode = In.Byte();
    const std::size_t Piece = 1 + In.Byte() % 32;
    switch (Mode % 3) {
    case 0:
        CheckAnyResponse(In.Rest(), Piece);
        break;
    case 1:
        CheckChunked(In, Piece);
        break;
    default: {
        const std::string Address = In.Text();
        CheckAddresses(Address, In.Text());
        break;
    }
    }
    return 0;
}
