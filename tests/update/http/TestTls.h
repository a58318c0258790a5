// Certificates made at test time with the openssl command and a TLS stream for
// the test server (tests link OpenSSL normally; only the product loads it at
// run time).
#pragma once

#include "tests/update/http/TestHttpServer.h"

#include <string>

struct TTestPki {
    std::string Folder;
    std::string CaFile;     // the test CA, trusted only when a test says so
    std::string ServerCert; // for IP 127.0.0.1, signed by the CA
    std::string ServerKey;
    std::string OtherHostCert; // signed by the CA for another host name only
    std::string OtherHostKey;
};

// Made once per test program in a fresh temporary folder; throws on failure.
const TTestPki& TestPki();

TStreamFactory TlsStream(const std::string& CertFile, const std::string& KeyFile);
