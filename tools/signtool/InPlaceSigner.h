// Signs one file in place through osslsigncode: the signed copy is written
// beside the file and then renamed over it, so the file is either the
// original, byte for byte, or completely signed.
#pragma once

#include "SignToolArgs.h"
#include "SignToolTexts.h"

#include <string>
#include <vector>

// osslsigncode's arguments for signing In into Out. The password never
// appears: osslsigncode reads a non-empty one from PasswordPath.
std::vector<std::string> OsslSignArguments(const TSignRequest& Request, const std::string& In,
                                           const std::string& Out, const std::string& PasswordPath);

// OsslSignCode names the program (looked up on PATH without a "/").
TSignOutcome SignFileInPlace(const TSignRequest& Request, const std::string& Path,
                             const std::string& OsslSignCode);
