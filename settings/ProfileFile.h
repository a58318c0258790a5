// settings.ini access with the rules of the Windows profile calls. Windows:
// GetPrivateProfileStringA / WritePrivateProfileStringA themselves. Linux:
// ProfileText.h over the file, replaced atomically on every write.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The names of a section in file order (at most 16384 bytes of names).
std::vector<std::string> ProfileSectionNames(const std::string& Path, const std::string& Section);
// The value with blanks and one pair of enclosing quotes removed, at most
// 2047 characters; Default when the name is missing.
std::string ProfileReadString(const std::string& Path, const std::string& Section,
                              const std::string& Name, const std::string& Default);
// The value as a signed 32-bit number (ProfileIntegerOf); Default otherwise.
std::int32_t ProfileReadInteger(const std::string& Path, const std::string& Section,
                                const std::string& Name, std::int32_t Default);
// Replaces the line of Name where it stands or adds one at the end of the
// section, making the section and the file as needed. EOSError on failure.
void ProfileWriteString(const std::string& Path, const std::string& Section,
                        const std::string& Name, const std::string& Value);
