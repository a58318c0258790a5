// What the HTTP client reads from a server, apart from the connection: the
// address and the redirection target it is given, and a response (status
// line, head, body by length, chunked or up to the close). The client feeds
// the reader from its socket; the fuzzer and tests feed it from memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

struct THttpUrl {
    bool Tls = false;
    std::string Host; // without brackets
    std::uint16_t Port = 80;
    std::string Target; // path and query, always starting with "/"
    // Host, bracketed when it is an IPv6 address, and the port unless default.
    std::string HostHeader() const;
    std::string Origin() const;
};

// http:// or https:// with a host; false for anything else, and for bytes
// that could break out of the request line.
bool ParseHttpUrl(const std::string& Text, THttpUrl& Url);
// A Location header against the address it answered.
std::string ResolveHttpLocation(const THttpUrl& Base, const std::string& Location);
bool IsHttpRedirect(int Status);

class IHttpByteSource {
public:
    virtual ~IHttpByteSource() = default;
    // 0 with Got > 0, or 0 with Got == 0 at the end of the stream (Clean
    // false when the peer left without closing properly), or an error.
    virtual int ReadSome(char* Buffer, std::size_t Size, std::size_t& Got, bool& Clean) = 0;
};

struct THttpLimits {
    std::size_t MaxBody = 1 << 20;
    std::size_t MaxHeader = 64 << 10; // the head, and chunk lines with trailers
};

struct THttpHead {
    int Status = 0;
    std::string Reason;
    bool HasLength = false;
    std::size_t Length = 0;
    bool Chunked = false;
    std::string Location;
};

// Buffered reading of one response.
class THttpReader {
public:
    explicit THttpReader(IHttpByteSource& Source) : Source(Source) {}

    // One line without its CR LF (or bare LF); Budget is the bytes still allowed.
    int ReadLine(std::string& Line, std::size_t& Budget, int TooLong);
    int ReadExact(std::size_t Count, std::string& Out);
    int ReadToClose(std::string& Out, std::size_t Max);

private:
    int Fill(bool& Clean);

    IHttpByteSource& Source;
    std::string Buffer;
    std::size_t Pos = 0;
    bool AtEnd = false;
};

// The head (after any 1xx answers) and, unless it is a redirection with a
// Location, a 204 or a 304, the body. 0 or the client's error number.
int ReadHttpResponse(THttpReader& Reader, const THttpLimits& Limits, THttpHead& Head,
                     std::string& Body);
// The same over a response held in memory that ends with the connection,
// delivered Piece bytes at a time as a socket might.
int ParseHttpResponse(std::string_view Bytes, const THttpLimits& Limits, THttpHead& Head,
                      std::string& Body, std::size_t Piece = SIZE_MAX);
