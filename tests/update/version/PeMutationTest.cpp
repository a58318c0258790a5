// A bounded, repeatable stand-in for the fuzzer where the compiler has none:
// seeded random mutations of a well-formed image and block, each read the way
// the program reads a file. The sanitizer build turns any stray read into a
// failure.
#include "tests/update/version/PeFixture.h"
#include "update/FileVersion.h"
#include "update/PeVersionReader.h"

#include <gtest/gtest.h>

#include <random>

namespace {

void ReadEverything(const std::vector<std::uint8_t>& Bytes) {
    const TMemoryByteSource Source(Bytes);
    ReadPeKind(Source);
    if (const auto Block = ReadPeVersionResource(Source)) {
        EXPECT_LE(Block->size(), 0x10000u);
        if (const auto Info = ParseVersionInfoBlock(*Block))
            for (const TVersionStringTable& Table : Info->Tables)
                VersionStringsOf(Table);
        QueryVersionString(*Block, "\\StringFileInfo\\040C04E4\\ProductName");
        QueryFirstTranslation(*Block);
    }
    ParseVersionInfoBlock(Bytes);
}

// Byte flips, runs of 0x00/0xFF, little-endian extremes and cuts.
std::vector<std::uint8_t> Mutate(std::vector<std::uint8_t> Bytes, std::mt19937& Random) {
    std::uniform_int_distribution<int> Kind(0, 4);
    const int Edits = 1 + static_cast<int>(Random() % 8);
    for (int E = 0; E < Edits && !Bytes.empty(); ++E) {
        const std::size_t At = Random() % Bytes.size();
        switch (Kind(Random)) {
        case 0:
            Bytes[At] = static_cast<std::uint8_t>(Random());
            break;
        case 1:
            Bytes[At] ^= static_cast<std::uint8_t>(1u << (Random() % 8));
            break;
        case 2:
            for (std::size_t I = At; I < Bytes.size() && I < At + 4; ++I)
                Bytes[I] = 0xFF;
            break;
        case 3:
            for (std::size_t I = At; I < Bytes.size() && I < At + 2; ++I)
                Bytes[I] = 0;
            break;
        default:
            Bytes.resize(At);
            break;
        }
    }
    return Bytes;
}

TEST(PeMutationTest, MutatedImagesAndBlocksReadCleanly) {
    const std::vector<std::uint8_t> Block = BuildVersionInfoBlock(OwnVersionInfo());
    const std::vector<std::vector<std::uint8_t>> Seeds = {BuildPeImage(false, Block),
                                                          BuildPeImage(true, Block), Block};
    std::mt19937 Random(20261210u);
    for (int Round = 0; Round < 20000; ++Round) {
        const std::vector<std::uint8_t> Input =
            Mutate(Seeds[static_cast<std::size_t>(Round) % Seeds.size()], Random);
        ReadEverything(Input);
        if (HasFailure())
            FAIL() << "round " << Round;
    }
}

} // namespace
