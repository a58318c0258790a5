// A registry hive held in memory and its text form, the format of regedit
// exports. Backs the registry accessor where there is no Windows registry.
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_CURRENT_USER\SOFTWARE\Tandrel\Quorvel]
//   "SignTool"="C:\\SDK\\signtool.exe"
//   "Count"=dword:0000002a
//   "Path"=hex(2):25,00,54,00,00,00          REG_EXPAND_SZ, UTF-16LE units
//   "Data"=hex:01,ff  "List"=hex(7):...       other types: bytes kept as read
//
// Key and value names compare with letters A to Z folded and keep the case
// they were first written with. Subkeys are listed by name, values in the
// order they were first written. Text is 8-bit; a REG_SZ that holds a line
// break or a NUL is written as hex(1) so that every byte round-trips.
#pragma once

#include "core/QuorvelErrors.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct THiveValue {
    std::string Name;
    std::uint32_t Type = 0;
    std::string Text;        // REG_SZ, REG_EXPAND_SZ; the bytes of any other type
    std::uint32_t Dword = 0; // REG_DWORD
};

struct THiveKey {
    std::string Name;
    std::vector<THiveValue> Values;                 // in the order first written
    std::vector<std::unique_ptr<THiveKey>> SubKeys; // sorted by name

    THiveValue* FindValue(std::string_view ValueName);
    THiveKey* FindSubKey(std::string_view KeyName);
    THiveKey& AddSubKey(std::string_view KeyName);
    void SetValue(THiveValue Value);
    bool DeleteValue(std::string_view ValueName);
    bool DeleteSubKey(std::string_view KeyName);

private:
    // Folded value name -> index in Values, so that a hive of many values
    // loads in linear time.
    std::unordered_map<std::string, std::size_t> ValueIndex;
};

// The hive file cannot be read as a hive; the message says where.
class EHiveDamaged : public EQuorvelError {
public:
    using EQuorvelError::EQuorvelError;
};

class THive {
public:
    explicit THive(std::string RootName); // "HKEY_CURRENT_USER"

    // Path below the root, '\' separated; an empty path is the root.
    THiveKey* Find(std::string_view Path);
    THiveKey& Create(std::string_view Path);
    bool Delete(std::string_view Path); // with every subkey
    // Holds nothing of anyone's: at most the bare SOFTWARE key, which every
    // Windows hive has anyway, so a clean-up down to it leaves no file behind.
    bool Empty() const;

    // Throws EHiveDamaged for anything that is not a hive of this root.
    void Parse(std::string_view Text);
    std::string Serialize() const;

    const std::string RootName;
    THiveKey Root;
};
