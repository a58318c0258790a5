#!/bin/sh
# Certificates for the Windows chain-engine test, made afresh on every run
# with the build machine's openssl (they live two days):
#   ca.pem, ca.der        the test root, trusted only when a test names it
#   server.der            update.test, signed by the root
#   inner.der             an intermediate CA under the root
#   behind.der            update.test, signed by the intermediate
#   stranger.der          update.test, signed by a root nobody trusts
set -eu
out=$1
rm -rf "$out"
mkdir -p "$out"
cd "$out"
quiet() { "$@" >/dev/null 2>&1 || { echo "failed: $*" >&2; exit 1; }; }
printf 'basicConstraints=critical,CA:TRUE\nkeyUsage=critical,keyCertSign,cRLSign\n' >ca.ext
printf 'subjectAltName=DNS:update.test\nextendedKeyUsage=serverAuth\n' >leaf.ext
root() { # name
    quiet openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Quorvel $1" \
        -addext basicConstraints=critical,CA:TRUE -keyout "$1.key" -out "$1.pem"
}
issue() { # name issuer extensions
    quiet openssl req -newkey rsa:2048 -nodes -subj "/CN=$1" -keyout "$1.key" -out "$1.csr"
    quiet openssl x509 -req -days 2 -in "$1.csr" -CA "$2.pem" -CAkey "$2.key" -CAcreateserial \
        -extfile "$3" -out "$1.pem"
    quiet openssl x509 -in "$1.pem" -outform DER -out "$1.der"
}
root ca
root strangerca
quiet openssl x509 -in ca.pem -outform DER -out ca.der
issue server ca leaf.ext
issue inner ca ca.ext
issue behind inner leaf.ext
issue stranger strangerca leaf.ext
