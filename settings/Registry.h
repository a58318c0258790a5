// The registry accessor: one key under a root, opened with an access mask,
// created on request. Short-lived by design: create it, do one operation,
// let it go. Windows: the real registry. Elsewhere: a hive file per root in
// the text format of regedit exports (see RegHive.h and docs/linux.md).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

enum class TRegRoot { CurrentUser, LocalMachine };

// Access masks and value types, with the registry's own numbers.
inline constexpr std::uint32_t RegKeyRead = 0x20019;
inline constexpr std::uint32_t RegKeyAllAccess = 0xF003F;
inline constexpr std::uint32_t RegKeyWow64_64Key = 0x0100;
inline constexpr std::uint32_t RegNone = 0;
inline constexpr std::uint32_t RegSz = 1;
inline constexpr std::uint32_t RegExpandSz = 2;
inline constexpr std::uint32_t RegBinary = 3;
inline constexpr std::uint32_t RegDword = 4;

class TRegistry {
public:
    explicit TRegistry(std::uint32_t Access = RegKeyAllAccess);
    ~TRegistry();
    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;

    TRegRoot RootKey = TRegRoot::CurrentUser;

    // Opens Key (a path below the root, '\' separated), creating it when
    // CanCreate; false when it cannot be opened. Closes any key open before.
    bool OpenKey(const std::string& Key, bool CanCreate);
    void CloseKey();
    bool KeyIsOpen() const;

    // The value's type, or false when there is no such value.
    bool GetDataType(const std::string& Name, std::uint32_t& Type);
    bool ValueExists(const std::string& Name);
    // REG_SZ or REG_EXPAND_SZ (not expanded), up to the first NUL; the empty
    // text for a missing value; ERegistryError naming the value otherwise.
    std::string ReadString(const std::string& Name);
    // REG_DWORD; ERegistryError naming the value for any other type.
    std::int32_t ReadInteger(const std::string& Name);
    // ERegistryError naming the value when the store refuses.
    void WriteString(const std::string& Name, const std::string& Value);
    void WriteExpandString(const std::string& Name, const std::string& Value);
    void WriteInteger(const std::string& Name, std::int32_t Value);
    bool DeleteValue(const std::string& Name);

    // In a stable order: subkeys by name, values in the order written.
    std::vector<std::string> GetValueNames();
    std::vector<std::string> GetKeyNames();
    bool HasSubKeys();

    // Deletes Key (below the root) with all its subkeys, depth first.
    bool DeleteKey(const std::string& Key);

    struct TImpl;

private:
    std::unique_ptr<TImpl> Impl;
    std::uint32_t Access;
};

// What the store had to do on its own since the last call, for the log
// (a damaged hive file moved aside, for example). Kept on disk beside the
// hive files, so it survives until the log exists to take it. Empty on
// Windows, where the registry repairs itself.
std::vector<std::string> TakeStoreNotices();
