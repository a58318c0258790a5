#include "core/QuorvelErrors.h"
#include "core/Win32Handles.h"

#include <windows.h>

std::string SysErrorMessage(std::uint32_t ErrorCode) {
    Win32::TLocalMemory<char> Buffer;
    const DWORD Length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, ErrorCode, 0, reinterpret_cast<char*>(Buffer.put()), 0, nullptr);
    std::string Text(Buffer ? Buffer.get() : "", Buffer ? Length : 0);
    while (!Text.empty() && (Text.back() == '\n' || Text.back() == '\r' || Text.back() == ' '))
        Text.pop_back();
    return Text;
}

std::uint32_t GetLastOSErrorCode() {
    return GetLastError();
}
