// What every fuzz target shares: a check that stops the fuzzer (and the
// replay test) with the reason, and a reader that carves typed values out of
// the fuzzer's bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

// Not assert(): it must hold in release builds, where the fuzzer runs.
#define FUZZ_CHECK(Condition)                                                                      \
    do {                                                                                           \
        if (!(Condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: fuzz check failed: %s\n", __FILE__, __LINE__,             \
                         #Condition);                                                              \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size);

class TFuzzInput {
public:
    TFuzzInput(const std::uint8_t* Data, std::size_t Size)
        : Bytes(reinterpret_cast<const char*>(Data), Size) {}

    bool Empty() const { return Bytes.empty(); }
    std::uint8_t Byte() {
        if (Bytes.empty())
            return 0;
        const auto B = static_cast<std::uint8_t>(Bytes.front());
        Bytes.remove_prefix(1);
        return B;
    }
    bool Flag() { return (Byte() & 1) != 0; }
    std::uint32_t Word() {
        std::uint32_t W = 0;
        for (int I = 0; I < 4; ++I)
            W = (W << 8) | Byte();
        return W;
    }
    // Up to the next NUL (dropped) or the end: texts stay readable in a corpus.
    std::string Text() {
        const std::size_t End = Bytes.find('\0');
        std::string T(Bytes.substr(0, End));
        Bytes.remove_prefix(End == std::string_view::npos ? Bytes.size() : End + 1);
        return T;
    }
    std::string_view Rest() {
        const std::string_view R = Bytes;
        Bytes = {};
        return R;
    }

private:
    std::string_view Bytes;
};
