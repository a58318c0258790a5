// The settings store: every setting is a REG_SZ text value of the product
// key HKEY_CURRENT_USER\SOFTWARE\Tandrel\Quorvel. Nothing is cached: each
// call opens the key (creating it), does one read or write, and closes it.
#pragma once

#include <cstdint>
#include <string>

inline constexpr const char* MakerKeyPath = "SOFTWARE\\Tandrel";
inline constexpr const char* ProductKeyPath = "SOFTWARE\\Tandrel\\Quorvel";

// The stored text, or the empty text when the key cannot be opened or the
// value is missing. ERegistryError naming the value for a non-text type.
std::string ReadSetting(const std::string& Name);
// False when the key cannot be opened; the registry's error passes through
// when it refuses the value.
bool WriteSetting(const std::string& Name, const std::string& Value);
bool WriteIntSetting(const std::string& Name, std::int32_t Value);

// True when this 32-bit program runs on a 64-bit system (Windows: WOW64;
// Linux: a 32-bit build on a 64-bit kernel). Asked anew at every call;
// EOSError when the system cannot answer.
bool Is64BitWindows();
