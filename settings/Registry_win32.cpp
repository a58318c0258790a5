#include "settings/Registry.h"

#include "core/QuorvelErrors.h"
#include "core/Win32Handles.h"

#include <windows.h>

struct TRegistry::TImpl {
    Win32::TRegistryKey Current;
};

namespace {
HKEY RootHandle(TRegRoot Root) {
    return Root == TRegRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

[[noreturn]] void RaiseInvalidType(const std::string& Name) {
    throw ERegistryError("Invalid data type for '" + Name + "'");
}

[[noreturn]] void RaiseSetFailed(const std::string& Name) {
    throw ERegistryError("Failed to set data for '" + Name + "'");
}

bool DeleteTree(HKEY Parent, const std::string& Key, REGSAM Wow) {
    {
        Win32::TRegistryKey Sub;
        if (RegOpenKeyExA(Parent, Key.c_str(), 0, KEY_ALL_ACCESS | Wow, Sub.put()) != ERROR_SUCCESS)
            return false;
        // Always delete the first subkey: the list shrinks as we go.
        for (;;) {
            char Name[256];
            DWORD Length = sizeof Name;
            if (RegEnumKeyExA(Sub.get(), 0, Name, &Length, nullptr, nullptr, nullptr, nullptr) !=
                ERROR_SUCCESS)
                break;
            if (!DeleteTree(Sub.get(), Name, Wow))
                break;
        }
    }
    return RegDeleteKeyExA(Parent, Key.c_str(), Wow, 0) == ERROR_SUCCESS;
}
} // namespace

TRegistry::TRegistry(std::uint32_t Access) : Impl(std::make_unique<TImpl>()), Access(Access) {}
TRegistry::~TRegistry() = default;

bool TRegistry::OpenKey(const std::string& Key, bool CanCreate) {
    Impl->Current.reset();
    HKEY Handle = nullptr;
    LONG Status;
    if (CanCreate) {
        DWORD Disposition = 0;
        Status = RegCreateKeyExA(RootHandle(RootKey), Key.c_str(), 0, nullptr,
                                 REG_OPTION_NON_VOLATILE, Access, nullptr, &Handle, &Disposition);
    } else {
        Status = RegOpenKeyExA(RootHandle(RootKey), Key.c_str(), 0, Access, &Handle);
    }
    if (Status != ERROR_SUCCESS)
        return false;
    Impl->Current.reset(Handle);
    return true;
}

void TRegistry::CloseKey() {
    Impl->Current.reset();
}

bool TRegistry::KeyIsOpen() const {
    return static_cast<bool>(Impl->Current);
}

bool TRegistry::GetDataType(const std::string& Name, std::uint32_t& Type) {
    DWORD T = 0;
    if (!Impl->Current || RegQueryValueExA(Impl->Current.get(), Name.c_str(), nullptr, &T, nullptr,
                                           nullptr) != ERROR_SUCCESS)
        return false;
    Type = T;
    return true;
}

bool TRegistry::ValueExists(const std::string& Name) {
    std::uint32_t Type;
    return GetDataType(Name, Type);
}

std::string TRegistry::ReadString(const std::string& Name) {
    DWORD Type = 0, Size = 0;
    if (!Impl->Current || RegQueryValueExA(Impl->Current.get(), Name.c_str(), nullptr, &Type,
                                           nullptr, &Size) != ERROR_SUCCESS)
        return {};
    if (Type != REG_SZ && Type != REG_EXPAND_SZ)
        RaiseInvalidType(Name);
    std::string Data(Size + 1, '\0');
    for (;;) {
        DWORD Room = static_cast<DWORD>(Data.size());
        const LONG Status = RegQueryValueExA(Impl->Current.get(), Name.c_str(), nullptr, &Type,
                                             reinterpret_cast<BYTE*>(Data.data()), &Room);
        if (Status == ERROR_MORE_DATA) {
            Data.assign(Room + 1, '\0'); // changed under us: try again with room
            continue;
        }
        if (Status != ERROR_SUCCESS)
            return {};
        if (Type != REG_SZ && Type != REG_EXPAND_SZ)
            RaiseInvalidType(Name);
        Data.resize(Room);
        break;
    }
    if (const auto Nul = Data.find('\0'); Nul != std::string::npos)
        Data.resize(Nul);
    return Data;
}

std::int32_t TRegistry::ReadInteger(const std::string& Name) {
    DWORD Type = 0, Value = 0, Size = sizeof Value;
    const LONG Status = Impl->Current
                            ? RegQueryValueExA(Impl->Current.get(), Name.c_str(), nullptr, &Type,
                                               reinterpret_cast<BYTE*>(&Value), &Size)
                            : ERROR_INVALID_HANDLE;
    if (Status == ERROR_FILE_NOT_FOUND)
        return 0;
    if (Status != ERROR_SUCCESS || Type != REG_DWORD)
        RaiseInvalidType(Name);
    return static_cast<std::int32_t>(Value);
}

namespace {
void SetValue(HKEY Key, const std::string& Name, DWORD Type, const void* Data, DWORD Size) {
    if (!Key || RegSetValueExA(Key, Name.c_str(), 0, Type, static_cast<const BYTE*>(Data), Size) !=
                    ERROR_SUCCESS)
        RaiseSetFailed(Name);
}
} // namespace

void TRegistry::WriteString(const std::string& Name, const std::string& Value) {
    SetValue(Impl->Current.get(), Name, REG_SZ, Value.c_str(),
             static_cast<DWORD>(Value.size() + 1));
}

void TRegistry::WriteExpandString(const std::string& Name, const std::string& Value) {
    SetValue(Impl->Current.get(), Name, REG_EXPAND_SZ, Value.c_str(),
             static_cast<DWORD>(Value.size() + 1));
}

void TRegistry::WriteInteger(const std::string& Name, std::int32_t Value) {
    const DWORD Data = static_cast<DWORD>(Value);
    SetValue(Impl->Current.get(), Name, REG_DWORD, &Data, sizeof Data);
}

bool TRegistry::DeleteValue(const std::string& Name) {
    return Impl->Current && RegDeleteValueA(Impl->Current.get(), Name.c_str()) == ERROR_SUCCESS;
}

std::vector<std::string> TRegistry::GetValueNames() {
    std::vector<std::string> Names;
    if (!Impl->Current.get())
        return Names;
    DWORD Count = 0, MaxLength = 0;
    if (RegQueryInfoKeyA(Impl->Current.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                         &Count, &MaxLength, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return Names;
    std::string Buffer(MaxLength + 1, '\0');
    for (DWORD I = 0; I < Count; ++I) {
        DWORD Length = static_cast<DWORD>(Buffer.size());
        if (RegEnumValueA(Impl->Current.get(), I, Buffer.data(), &Length, nullptr, nullptr, nullptr,
                          nullptr) != ERROR_SUCCESS)
            break;
        Names.emplace_back(Buffer.data(), Length);
    }
    return Names;
}

std::vector<std::string> TRegistry::GetKeyNames() {
    std::vector<std::string> Names;
    if (!Impl->Current.get())
        return Names;
    DWORD Count = 0, MaxLength = 0;
    if (RegQueryInfoKeyA(Impl->Current.get(), nullptr, nullptr, nullptr, &Count, &MaxLength,
                         nullptr, nullptr, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return Names;
    std::string Buffer(MaxLength + 1, '\0');
    for (DWORD I = 0; I < Count; ++I) {
        DWORD Length = static_cast<DWORD>(Buffer.size());
        if (RegEnumKeyExA(Impl->Current.get(), I, Buffer.data(), &Length, nullptr, nullptr, nullptr,
                          nullptr) != ERROR_SUCCESS)
            break;
        Names.emplace_back(Buffer.data(), Length);
    }
    return Names;
}

bool TRegistry::HasSubKeys() {
    DWORD Count = 0;
    return Impl->Current &&
           RegQueryInfoKeyA(Impl->Current.get(), nullptr, nullptr, nullptr, &Count, nullptr,
                            nullptr, nullptr, nullptr, nullptr, nullptr,
                            nullptr) == ERROR_SUCCESS &&
           Count > 0;
}

bool TRegistry::DeleteKey(const std::string& Key) {
    return DeleteTree(RootHandle(RootKey), Key, Access & (KEY_WOW64_64KEY | KEY_WOW64_32KEY));
}

std::vector<std::string> TakeStoreNotices() {
    return {};
}
