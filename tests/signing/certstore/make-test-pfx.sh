#!/bin/sh
# Makes the Windows store test's certificate on the build machine: a
# code-signing certificate with its key as a PFX file (algorithms every
# crypt32 reads, Wine's included), and its SHA-1 thumbprint as openssl sees it.
set -eu
out=$1
mkdir -p "$out"
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$out/signer.key" -out "$out/signer.crt" \
  -days 3650 -sha256 -subj "/CN=Quorvel Wine Signer/O=Quorvel Tests" \
  -addext "extendedKeyUsage=codeSigning" -addext "keyUsage=critical,digitalSignature" 2>/dev/null
openssl pkcs12 -export -inkey "$out/signer.key" -in "$out/signer.crt" -out "$out/signer.pfx" \
  -passout pass:Wine-Pass1 -certpbe PBE-SHA1-3DES -keypbe PBE-SHA1-3DES -macalg sha1
openssl x509 -in "$out/signer.crt" -outform DER -out "$out/signer.der"
openssl x509 -in "$out/signer.crt" -noout -fingerprint -sha1 | sed 's/.*=//; s/://g' \
  | tr -d '\n' > "$out/signer.sha1"
