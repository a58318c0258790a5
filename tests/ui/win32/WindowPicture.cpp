#include "tests/ui/win32/WindowPicture.h"

#include "core/QuorvelErrors.h"
#include "ui/win32/Win32Handles.h"

#include <array>
#include <cstdint>
#include <fstream>
#include <vector>

namespace {

std::uint32_t Crc32(const std::uint8_t* Data, std::size_t Size, std::uint32_t Crc = 0) {
    static const std::array<std::uint32_t, 256> Table = [] {
        std::array<std::uint32_t, 256> Values{};
        for (std::uint32_t N = 0; N < 256; ++N) {
            std::uint32_t C = N;
            for (int K = 0; K < 8; ++K)
                C = (C & 1) ? 0xEDB88320u ^ (C >> 1) : C >> 1;
            Values[N] = C;
        }
        return Values;
    }();
    Crc = ~Crc;
    for (std::size_t I = 0; I < Size; ++I)
        Crc = Table[(Crc ^ Data[I]) & 0xFF] ^ (Crc >> 8);
    return ~Crc;
}

void PutBig32(std::vector<std::uint8_t>& Out, std::uint32_t Value) {
    for (int Shift = 24; Shift >= 0; Shift -= 8)
        Out.push_back(static_cast<std::uint8_t>(Value >> Shift));
}

void Chunk(std::vector<std::uint8_t>& Out, const char* Type,
           const std::vector<std::uint8_t>& Body) {
    PutBig32(Out, static_cast<std::uint32_t>(Body.size()));
    const std::size_t Start = Out.size();
    Out.insert(Out.end(), Type, Type + 4);
    Out.insert(Out.end(), Body.begin(), Body.end());
    PutBig32(Out, Crc32(Out.data() + Start, Out.size() - Start));
}

// zlib stream of stored (uncompressed) blocks: simple and always valid.
std::vector<std::uint8_t> StoredZlib(const std::vector<std::uint8_t>& Raw) {
    std::vector<std::uint8_t> Out = {0x78, 0x01};
    std::size_t Offset = 0;
    do {
        const std::size_t Size = std::min<std::size_t>(65535, Raw.size() - Offset);
        const bool Last = Offset + Size == Raw.size();
        Out.push_back(Last ? 1 : 0);
        Out.push_back(static_cast<std::uint8_t>(Size));
        Out.push_back(static_cast<std::uint8_t>(Size >> 8));
        Out.push_back(static_cast<std::uint8_t>(~Size));
        Out.push_back(static_cast<std::uint8_t>(~Size >> 8));
        Out.insert(Out.end(), Raw.begin() + static_cast<std::ptrdiff_t>(Offset),
                   Raw.begin() + static_cast<std::ptrdiff_t>(Offset + Size));
        Offset += Size;
    } while (Offset < Raw.size());
    std::uint32_t A = 1, B = 0;
    for (std::uint8_t Byte : Raw) {
        A = (A + Byte) % 65521;
        B = (B + A) % 65521;
    }
    PutBig32(Out, (B << 16) | A);
    return Out;
}

} // namespace

void SaveWindowPicture(HWND Window, const std::string& PngPath) {
    RECT Frame{};
    if (!GetWindowRect(Window, &Frame))
        RaiseLastOSError();
    const int Width = Frame.right - Frame.left;
    const int Height = Frame.bottom - Frame.top;

    Win32::TWindowDc Source(Window, true);
    Win32::TMemoryDc Memory(CreateCompatibleDC(Source.get()));
    BITMAPINFO Info{};
    Info.bmiHeader.biSize = sizeof(Info.bmiHeader);
    Info.bmiHeader.biWidth = Width;
    Info.bmiHeader.biHeight = -Height; // top-down rows
    Info.bmiHeader.biPlanes = 1;
    Info.bmiHeader.biBitCount = 32;
    Info.bmiHeader.biCompression = BI_RGB;
    void* Bits = nullptr;
    Win32::TBitmap Picture(
        CreateDIBSection(Source.get(), &Info, DIB_RGB_COLORS, &Bits, nullptr, 0));
    if (!Picture || !Memory)
        RaiseLastOSError();
    std::vector<std::uint8_t> Raw;
    {
        Win32::TSelection Selected(Memory.get(), Picture.get());
        if (!BitBlt(Memory.get(), 0, 0, Width, Height, Source.get(), 0, 0, SRCCOPY))
            RaiseLastOSError();
        GdiFlush();
        const auto* Pixels = static_cast<const std::uint8_t*>(Bits);
        Raw.reserve(static_cast<std::size_t>(Height) * (Width * 3 + 1));
        for (int Y = 0; Y < Height; ++Y) {
            Raw.push_back(0); // no filter
            const std::uint8_t* Row = Pixels + static_cast<std::size_t>(Y) * Width * 4;
            for (int X = 0; X < Width; ++X) {
                Raw.push_back(Row[X * 4 + 2]);
                Raw.push_back(Row[X * 4 + 1]);
                Raw.push_back(Row[X * 4]);
            }
        }
    }

    std::vector<std::uint8_t> Png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<std::uint8_t> Header;
    PutBig32(Header, static_cast<std::uint32_t>(Width));
    PutBig32(Header, static_cast<std::uint32_t>(Height));
    Header.insert(Header.end(), {8, 2, 0, 0, 0}); // 8-bit RGB
    Chunk(Png, "IHDR", Header);
    Chunk(Png, "IDAT", StoredZlib(Raw));
    Chunk(Png, "IEND", {});
    std::ofstream Out(PngPath, std::ios::binary);
    Out.write(reinterpret_cast<const char*>(Png.data()), static_cast<std::streamsize>(Png.size()));
    if (!Out)
        RaiseOSError(ERROR_WRITE_FAULT);
}
