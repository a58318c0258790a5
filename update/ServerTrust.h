// How the update check decides that it talks to the real server.
//
// Linux: OpenSSL checks the chain against the system's trusted roots and the
// host name during the handshake. Windows: OpenSSL only carries the
// handshake; the system's chain engine (CertGetCertificateChain, then the SSL
// policy with the host name) judges the chain once it has arrived, before
// anything is sent. So a fresh Windows that fetches its roots on demand is
// served, and no folder compiled into an OpenSSL build is ever read there.
#pragma once

#include <string>
#include <vector>

struct TOpenSslApi;

// On a fresh context, before the handshake: 0 or the client's error number.
// ExtraCaFile (tests) is a PEM file whose certificates are trusted as roots.
int PrepareServerTrust(const TOpenSslApi& Api, void* Ctx, const std::string& ExtraCaFile);
// For a handshake that failed: HttpErrCertificate when the certificate was
// refused, otherwise HttpErrTlsFailed.
int HandshakeFailure(const TOpenSslApi& Api, void* Ssl);
// After the handshake, before anything is sent: 0 when the server's chain is
// trusted for Host, otherwise the client's error number.
int CheckServerTrust(const TOpenSslApi& Api, void* Ssl, const std::string& Host,
                     const std::string& ExtraCaFile);

// Windows: the chain engine's verdict on a server's chain (DER, the server's
// own certificate first) for Host, with ExtraCaFile's certificates trusted as
// roots besides the system's. 0; HttpErrCertificate for an untrusted chain, a
// name that does not match or an unreadable certificate; HttpErrTlsFailed when
// ExtraCaFile cannot be read.
int VerifyServerChain(const std::vector<std::string>& DerChain, const std::string& Host,
                      const std::string& ExtraCaFile);
