// The names of the values the program stores in its product key (and, in
// portable use, in settings.ini), in one place: users' stores and installers
// rely on these exact spellings.
#pragma once

namespace ValueNames {
// The signing controls, written the moment a control changes.
inline constexpr const char* SignTool = "SignTool";
inline constexpr const char* Certificate = "Certificate";
inline constexpr const char* Password = "Password";
inline constexpr const char* TimeStampURL = "TimeStampURL";
inline constexpr const char* CertDigest = "CertDigest";
inline constexpr const char* TimeStampDigest = "TimeStampDigest";
// Where the certificate comes from: a .pfx file or the system's store, and
// the store certificate's SHA-1 thumbprint.
inline constexpr const char* CertSource = "CertSource";
inline constexpr const char* CertThumbprint = "CertThumbprint";
// Switches only a user or an installer sets, each on for the exact text "1":
// debug logging, and keeping the data folder in portable use.
inline constexpr const char* DebugLog = "DebugLog";
inline constexpr const char* DebugMode = "DebugMode";
} // namespace ValueNames
