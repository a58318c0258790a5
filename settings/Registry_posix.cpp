#include "settings/Registry.h"

#include "core/QuorvelErrors.h"
#include "settings/HiveFiles.h"

#include <string_view>

// The accessor keeps only which key is open: every call reads the hive file
// afresh, and every change is one locked read-modify-write of it.
struct TRegistry::TImpl {
    bool Open = false;
    std::string KeyPath;
    std::string HivePath;
    std::string RootName;

    THive Load() const {
        THive Hive(RootName);
        LoadHiveFile(HivePath, Hive);
        return Hive;
    }

    THiveValue* Find(THive& Hive, const std::string& Name) const {
        auto* Key = Open ? Hive.Find(KeyPath) : nullptr;
        return Key ? Key->FindValue(Name) : nullptr;
    }
};

namespace {
constexpr std::uint32_t KeySetValue = 0x0002;

[[noreturn]] void RaiseInvalidType(const std::string& Name) {
    throw ERegistryError("Invalid data type for '" + Name + "'");
}

std::string Normalized(const std::string& Key) {
    std::string Path = Key;
    while (!Path.empty() && Path.front() == '\\')
        Path.erase(0, 1);
    return Path;
}
} // namespace

TRegistry::TRegistry(std::uint32_t Access) : Impl(std::make_unique<TImpl>()), Access(Access) {}
TRegistry::~TRegistry() = default;

bool TRegistry::OpenKey(const std::string& Key, bool CanCreate) {
    CloseKey();
    Impl->HivePath = HiveFilePath(RootKey);
    Impl->RootName = HiveRootName(RootKey);
    const std::string Path = Normalized(Key);
    THive Hive = Impl->Load();
    if (!Hive.Find(Path)) {
        if (!CanCreate)
            return false;
        try {
            UpdateHiveFile(Impl->HivePath, Hive, [&](THive& H) {
                if (H.Find(Path))
                    return false;
                H.Create(Path);
                return true;
            });
        } catch (const EOSError&) {
            return false;
        }
    }
    Impl->Open = true;
    Impl->KeyPath = Path;
    return true;
}

void TRegistry::CloseKey() {
    Impl->Open = false;
    Impl->KeyPath.clear();
}

bool TRegistry::KeyIsOpen() const {
    return Impl->Open;
}

bool TRegistry::GetDataType(const std::string& Name, std::uint32_t& Type) {
    THive Hive = Impl->Load();
    const auto* Value = Impl->Find(Hive, Name);
    if (!Value)
        return false;
    Type = Value->Type;
    return true;
}

bool TRegistry::ValueExists(const std::string& Name) {
    std::uint32_t Type;
    return GetDataType(Name, Type);
}

std::string TRegistry::ReadString(const std::string& Name) {
    THive Hive = Impl->Load();
    const auto* Value = Impl->Find(Hive, Name);
    if (!Value)
        return {};
    if (Value->Type != RegSz && Value->Type != RegExpandSz)
        RaiseInvalidType(Name);
    return Value->Text.substr(0, Value->Text.find('\0'));
}

std::int32_t TRegistry::ReadInteger(const std::string& Name) {
    THive Hive = Impl->Load();
    const auto* Value = Impl->Find(Hive, Name);
    if (!Value)
        return 0;
    if (Value->Type != RegDword)
        RaiseInvalidType(Name);
    return static_cast<std::int32_t>(Value->Dword);
}

namespace {
void SetValue(TRegistry::TImpl& Impl, std::uint32_t Access, THiveValue Value) {
    const std::string Name = Value.Name;
    // A line break in a name would break the hive's line format.
    const bool NameFits = Name.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos;
    if (!Impl.Open || !(Access & KeySetValue) || !NameFits)
        throw ERegistryError("Failed to set data for '" + Name + "'");
    THive Hive(Impl.RootName);
    bool KeyGone = false;
    try {
        UpdateHiveFile(Impl.HivePath, Hive, [&](THive& H) {
            auto* Key = H.Find(Impl.KeyPath);
            if (!Key) {
                KeyGone = true; // deleted by someone else since it was opened
                return false;
            }
            Key->SetValue(std::move(Value));
            return true;
        });
    } catch (const EOSError& Error) {
        throw ERegistryError("Failed to set data for '" + Name + "': " + Error.what());
    }
    if (KeyGone)
        throw ERegistryError("Failed to set data for '" + Name + "'");
}
} // namespace

void TRegistry::WriteString(const std::string& Name, const std::string& Value) {
    SetValue(*Impl, Access, {Name, RegSz, Value, 0});
}

void TRegistry::WriteExpandString(const std::string& Name, const std::string& Value) {
    SetValue(*Impl, Access, {Name, RegExpandSz, Value, 0});
}

void TRegistry::WriteInteger(const std::string& Name, std::int32_t Value) {
    SetValue(*Impl, Access, {Name, RegDword, {}, static_cast<std::uint32_t>(Value)});
}

bool TRegistry::DeleteValue(const std::string& Name) {
    if (!Impl->Open || !(Access & KeySetValue))
        return false;
    bool Deleted = false;
    try {
        THive Hive(Impl->RootName);
        UpdateHiveFile(Impl->HivePath, Hive, [&](THive& H) {
            auto* Key = H.Find(Impl->KeyPath);
            Deleted = Key && Key->DeleteValue(Name);
            return Deleted;
        });
    } catch (const EOSError&) {
        return false;
    }
    return Deleted;
}

std::vector<std::string> TRegistry::GetValueNames() {
    std::vector<std::string> Names;
    THive Hive = Impl->Load();
    if (auto* Key = Impl->Open ? Hive.Find(Impl->KeyPath) : nullptr)
        for (const auto& Value : Key->Values)
            Names.push_back(Value.Name);
    return Names;
}

std::vector<std::string> TRegistry::GetKeyNames() {
    std::vector<std::string> Names;
    THive Hive = Impl->Load();
    if (auto* Key = Impl->Open ? Hive.Find(Impl->KeyPath) : nullptr)
        for (const auto& Sub : Key->SubKeys)
            Names.push_back(Sub->Name);
    return Names;
}

bool TRegistry::HasSubKeys() {
    THive Hive = Impl->Load();
    auto* Key = Impl->Open ? Hive.Find(Impl->KeyPath) : nullptr;
    return Key && !Key->SubKeys.empty();
}

bool TRegistry::DeleteKey(const std::string& Key) {
    const std::string Path = Normalized(Key);
    bool Deleted = false;
    try {
        THive Hive(HiveRootName(RootKey));
        UpdateHiveFile(HiveFilePath(RootKey), Hive, [&](THive& H) {
            Deleted = H.Delete(Path);
            return Deleted;
        });
    } catch (const EOSError&) {
        return false;
    }
    return Deleted;
}
