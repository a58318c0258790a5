#include "update/HttpResponse.h"

#include "core/AnsiText.h"
#include "update/HttpClient.h"

#include <algorithm>

std::string THttpUrl::HostHeader() const {
    std::string Text = Host.find(':') != std::string::npos ? "[" + Host + "]" : Host;
    if (Port != (Tls ? 443 : 80))
        Text += ":" + std::to_string(Port);
    return Text;
}

std::string THttpUrl::Origin() const {
    return (Tls ? "https://" : "http://") + HostHeader();
}

namespace {

// Bytes that would let an address break out of the request line.
bool HasUnsafeByte(const std::string& Text) {
    return std::any_of(Text.begin(), Text.end(), [](char C) {
        const auto B = static_cast<unsigned char>(C);
        return B <= 0x20 || B == 0x7F;
    });
}

std::string Trimmed(const std::string& Text) {
    const std::size_t First = Text.find_first_not_of(" \t");
    if (First == std::string::npos)
        return {};
    return Text.substr(First, Text.find_last_not_of(" \t") - First + 1);
}

bool ParseStatusLine(const std::string& Line, THttpHead& Head) {
    // HTTP/1.x SP 3DIGIT [SP reason]
    if (Line.size() < 12 || Line.compare(0, 7, "HTTP/1.") != 0 || Line[8] != ' ')
        return false;
    for (int I = 9; I < 12; ++I)
        if (Line[I] < '0' || Line[I] > '9')
            return false;
    if (Line.size() > 12 && Line[12] != ' ')
        return false;
    Head.Status = std::stoi(Line.substr(9, 3));
    Head.Reason = Line.size() > 13 ? Line.substr(13) : std::string();
    return true;
}

// Decimal digits only, refused above Max.
int ParseLength(const std::string& Text, std::size_t Max, std::size_t& Value) {
    if (Text.empty())
        return HttpErrBadHeader;
    Value = 0;
    for (char C : Text) {
        if (C < '0' || C > '9')
            return HttpErrBadHeader;
        Value = Value * 10 + static_cast<std::size_t>(C - '0');
        if (Value > Max)
            return HttpErrBodyTooLarge;
    }
    return 0;
}

int ReadHead(THttpReader& Reader, const THttpLimits& Limits, THttpHead& Head) {
    std::size_t Budget = Limits.MaxHeader;
    std::string Line;
    do { // 1xx answers are followed by the real one
        Head = THttpHead{};
        if (const int E = Reader.ReadLine(Line, Budget, HttpErrHeaderTooLarge))
            return E;
        if (!ParseStatusLine(Line, Head))
            return HttpErrBadStatusLine;
        for (;;) {
            if (const int E = Reader.ReadLine(Line, Budget, HttpErrHeaderTooLarge))
                return E;
            if (Line.empty())
                break;
            const std::size_t Colon = Line.find(':');
            if (Colon == std::string::npos || Colon == 0)
                return HttpErrBadHeader;
            const std::string Name = Line.substr(0, Colon);
            const std::string Value = Trimmed(Line.substr(Colon + 1));
            if (SameTextAZ(Name, "Content-Length")) {
                std::size_t Length = 0;
                if (const int E = ParseLength(Value, Limits.MaxBody, Length))
                    return E;
                if (Head.HasLength && Length != Head.Length)
                    return HttpErrBadHeader;
                Head.HasLength = true;
                Head.Length = Length;
            } else if (SameTextAZ(Name, "Transfer-Encoding")) {
                Head.Chunked = ContainsTextAZ("chunked", Value);
            } else if (SameTextAZ(Name, "Location")) {
                Head.Location = Value;
            }
        }
    } while (Head.Status >= 100 && Head.Status < 200);
    return 0;
}

int ReadChunkedBody(THttpReader& Reader, const THttpLimits& Limits, std::string& Body) {
    std::size_t Budget = Limits.MaxHeader; // chunk lines and trailers share the head's cap
    std::string Line;
    for (;;) {
        if (const int E = Reader.ReadLine(Line, Budget, HttpErrHeaderTooLarge))
            return E;
        std::size_t Size = 0;
        std::size_t I = 0;
        for (; I < Line.size(); ++I) {
            const char C = Line[I];
            int Digit;
            if (C >= '0' && C <= '9')
                Digit = C - '0';
            else if (C >= 'a' && C <= 'f')
                Digit = C - 'a' + 10;
            else if (C >= 'A' && C <= 'F')
                Digit = C - 'A' + 10;
            else
                break;
            Size = Size * 16 + static_cast<std::size_t>(Digit);
            if (Size > Limits.MaxBody)
                return HttpErrBodyTooLarge;
        }
        if (I == 0 || (I < Line.size() && Line[I] != ';' && Line[I] != ' ' && Line[I] != '\t'))
            return HttpErrBadHeader;
        if (Size == 0)
            break;
        if (Size > Limits.MaxBody - Body.size())
            return HttpErrBodyTooLarge;
        if (const int E = Reader.ReadExact(Size, Body))
            return E;
        if (const int E = Reader.ReadLine(Line, Budget, HttpErrHeaderTooLarge))
            return E;
        if (!Line.empty())
            return HttpErrBadHeader;
    }
    do { // trailers
        if (const int E = Reader.ReadLine(Line, Budget, HttpErrHeaderTooLarge))
            return E;
    } while (!Line.empty());
    return 0;
}

class TMemorySource : public IHttpByteSource {
public:
    TMemorySource(std::string_view Bytes, std::size_t Piece) : Bytes(Bytes), Piece(Piece) {}
    int ReadSome(char* Buffer, std::size_t Size, std::size_t& Got, bool& Clean) override {
        Clean = true;
        Got = std::min({Size, Piece, Bytes.size()});
        std::copy_n(Bytes.data(), Got, Buffer);
        Bytes.remove_prefix(Got);
        return 0;
    }

private:
    std::string_view Bytes;
    std::size_t Piece;
};

} // namespace

bool ParseHttpUrl(const std::string& Text, THttpUrl& Url) {
    std::string Rest;
    if (StartsTextAZ("https://", Text)) {
        Url.Tls = true;
        Url.Port = 443;
        Rest = Text.substr(8);
    } else if (StartsTextAZ("http://", Text)) {
        Url.Tls = false;
        Url.Port = 80;
        Rest = Text.substr(7);
    } else {
        return false;
    }
    if (HasUnsafeByte(Rest))
        return false;
    Rest = Rest.substr(0, Rest.find('#'));
    const std::size_t PathStart = Rest.find_first_of("/?");
    std::string Authority = Rest.substr(0, PathStart);
    Url.Target = PathStart == std::string::npos ? "/" : Rest.substr(PathStart);
    if (Url.Target[0] == '?')
        Url.Target.insert(0, "/");
    if (const std::size_t At = Authority.rfind('@'); At != std::string::npos)
        Authority.erase(0, At + 1);
    std::string PortText;
    if (!Authority.empty() && Authority[0] == '[') {
        const std::size_t Close = Authority.find(']');
        if (Close == std::string::npos)
            return false;
        Url.Host = Authority.substr(1, Close - 1);
        const std::string After = Authority.substr(Close + 1);
        if (!After.empty()) {
            if (After[0] != ':')
                return false;
            PortText = After.substr(1);
        }
    } else {
        const std::size_t Colon = Authority.find(':');
        Url.Host = Authority.substr(0, Colon);
        if (Colon != std::string::npos)
            PortText = Authority.substr(Colon + 1);
    }
    if (Url.Host.empty())
        return false;
    if (!PortText.empty()) {
        if (PortText.size() > 5 || !std::all_of(PortText.begin(), PortText.end(),
                                                [](char C) { return C >= '0' && C <= '9'; }))
            return false;
        const long Port = std::stol(PortText);
        if (Port < 1 || Port > 65535)
            return false;
        Url.Port = static_cast<std::uint16_t>(Port);
    }
    return true;
}

std::string ResolveHttpLocation(const THttpUrl& Base, const std::string& Location) {
    if (StartsTextAZ("http://", Location) || StartsTextAZ("https://", Location))
        return Location;
    if (Location.rfind("//", 0) == 0)
        return (Base.Tls ? "https:" : "http:") + Location;
    if (!Location.empty() && Location[0] == '/')
        return Base.Origin() + Location;
    std::string Dir = Base.Target.substr(0, Base.Target.find('?'));
    if (!Location.empty() && Location[0] == '?')
        return Base.Origin() + Dir + Location;
    Dir.erase(Dir.rfind('/') + 1);
    return Base.Origin() + Dir + Location;
}

bool IsHttpRedirect(int Status) {
    return Status == 301 || Status == 302 || Status == 303 || Status == 307 || Status == 308;
}

int THttpReader::ReadLine(std::string& Line, std::size_t& Budget, int TooLong) {
    for (;;) {
        const std::size_t Lf = Buffer.find('\n', Pos);
        if (Lf != std::string::npos) {
            const std::size_t Length = Lf + 1 - Pos;
            if (Length > Budget)
                return TooLong;
            Budget -= Length;
            Line.assign(Buffer, Pos, Lf - Pos);
            if (!Line.empty() && Line.back() == '\r')
                Line.pop_back();
            Pos = Lf + 1;
            return 0;
        }
        if (Buffer.size() - Pos > Budget)
            return TooLong;
        bool Clean = true;
        if (const int E = Fill(Clean))
            return E;
        if (AtEnd)
            return HttpErrConnectionClosed;
    }
}

int THttpReader::ReadExact(std::size_t Count, std::string& Out) {
    while (Buffer.size() - Pos < Count) {
        bool Clean = true;
        if (const int E = Fill(Clean))
            return E;
        if (AtEnd)
            return HttpErrConnectionClosed;
    }
    Out.append(Buffer, Pos, Count);
    Pos += Count;
    return 0;
}

int THttpReader::ReadToClose(std::string& Out, std::size_t Max) {
    for (;;) {
        Out.append(Buffer, Pos, std::string::npos);
        Buffer.clear();
        Pos = 0;
        if (Out.size() > Max)
            return HttpErrBodyTooLarge;
        bool Clean = true;
        if (const int E = Fill(Clean))
            return E;
        if (AtEnd)
            return Clean ? 0 : HttpErrConnectionClosed;
    }
}

int THttpReader::Fill(bool& Clean) {
    if (Pos > 0 && Pos == Buffer.size()) {
        Buffer.clear();
        Pos = 0;
    }
    char Chunk[16384];
    std::size_t Got = 0;
    if (const int E = Source.ReadSome(Chunk, sizeof Chunk, Got, Clean))
        return E;
    if (Got == 0)
        AtEnd = true;
    Buffer.append(Chunk, Got);
    return 0;
}

int ReadHttpResponse(THttpReader& Reader, const THttpLimits& Limits, THttpHead& Head,
                     std::string& Body) {
    if (const int E = ReadHead(Reader, Limits, Head))
        return E;
    if (IsHttpRedirect(Head.Status) && !Head.Location.empty())
        return 0; // the body of a redirection is not wanted
    if (Head.Status == 204 || Head.Status == 304)
        return 0;
    if (Head.Chunked)
        return ReadChunkedBody(Reader, Limits, Body);
    if (Head.HasLength)
        return Reader.ReadExact(Head.Length, Body);
    return Reader.ReadToClose(Body, Limits.MaxBody);
}

int ParseHttpResponse(std::string_view Bytes, const THttpLimits& Limits, THttpHead& Head,
                      std::string& Body, std::size_t Piece) {
    TMemorySource Source(Bytes, Piece == 0 ? 1 : Piece);
    THttpReader Reader(Source);
    return ReadHttpResponse(Reader, Limits, Head, Body);
}
