// The command line the signtool stand-in accepts: "sign" with /fd, /f, /p,
// /sha1, /tr and /td (in any letter case, with "/" or "-") and then the
// files.
#pragma once

#include <string>
#include <vector>

// What one "signtool sign" asks for. Digest names are upper case.
struct TSignRequest {
    std::string FileDigest;  // empty when /fd was not given
    std::string Certificate; // the PFX file of /f; empty with /sha1
    std::string Password;    // empty when /p was not given or had no value
    // /sha1: the certificate on a PKCS#11 token, by its SHA-1 thumbprint (40
    // upper-case hex digits); empty with /f.
    std::string Thumbprint;
    // The token's PIN, from the environment rather than the command line;
    // the program fills it in, the parser does not.
    std::string TokenPin;
    std::string TimeStampURL;
    bool TimeStamp = false;      // /tr was given
    std::string TimeStampDigest; // empty when /td was not given
    std::vector<std::string> Files;
};

enum class TParseOutcome {
    Sign,        // Request is complete
    Usage,       // /? was asked for: print the usage, nothing failed
    MissingArgs, // no arguments at all: print the usage as an error
    Error,       // Error holds the reason, without the "SignTool Error: " prefix
};

struct TParseResult {
    TParseOutcome Outcome = TParseOutcome::Error;
    TSignRequest Request;
    std::string Error;
};

// Args are the arguments after the program name, already split. A switch's
// value is never taken from the last argument, which always names a file:
// so "/p" directly before a switch or before the last file means an empty
// password, as Quorvel writes an empty password field.
TParseResult ParseSignToolArgs(const std::vector<std::string>& Args);
