// libFuzzer entry: any bytes as a PE image and as a bare version block.
#include "update/PeVersionReader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    const std::span<const std::uint8_t> Bytes(Data, Size);
    const TMemoryByteSource Source(Bytes);
    ReadPeKind(Source);
    if (const auto Block = ReadPeVersionResource(Source))
        ParseVersionInfoBlock(*Block);
    if (const auto Info = ParseVersionInfoBlock(Bytes)) {
        for (const TVersionStringTable& Table : Info->Tables)
            for (const TVersionString& S : Table.Strings)
                Utf16ToCp1252(S.Value);
    }
    QueryVersionString(Bytes, "\\StringFileInfo\\040C04E4\\CompanyName");
    QueryFirstTranslation(Bytes);
    return 0;
}
