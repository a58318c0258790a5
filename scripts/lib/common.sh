# Shared by the scripts in scripts/: installing what is missing, and building.
# shellcheck shell=bash

QUORVEL_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
export DEBIAN_FRONTEND=noninteractive

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# Prints the packages of the arguments that are not installed.
missing_packages() {
    local pkg
    for pkg in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
            echo "$pkg"
        fi
    done
}

APT_UPDATED=0
apt_update_once() {
    if [ "$APT_UPDATED" -eq 0 ]; then
        # A mirror's partial index failure must not stop us: what is listed
        # still installs, and a real absence shows up in the install below.
        as_root apt-get update -q || echo "apt-get update reported errors; going on with the lists we have" >&2
        APT_UPDATED=1
    fi
}

# Installs the packages that are missing; quick when none are.
install_missing() {
    local missing
    missing=$(missing_packages "$@")
    [ -z "$missing" ] && return 0
    echo "Installing: $(echo $missing)"
    apt_update_once
    # shellcheck disable=SC2086
    as_root apt-get install -y -q --no-install-recommends $missing
}

LINUX_PACKAGES=(cmake g++ ninja-build pkg-config qt6-base-dev libgl-dev libgtest-dev libgmock-dev googletest
                osslsigncode openssl libssl-dev xvfb xauth clang libclang-rt-14-dev dbus-daemon
                libp11-kit-dev p11-kit p11-kit-modules libengine-pkcs11-openssl
                softhsm2 opensc # these two: test tokens only
                xdg-utils xdotool xclip) # xdg-utils: "Open Log"; the other two drive the program in tests
WINDOWS_PACKAGES=(mingw-w64 g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix wine wine64 nsis zip
                  iproute2)

# Whether this kernel runs 32-bit x86 programs at all; some virtual machines'
# kernels are built without it. The probe is the smallest i386 program there
# is: one ELF header, one segment, and exit(0).
kernel_runs_i386() {
    local probe status=0
    probe=$(mktemp) || return 1
    printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00' >"$probe"
    printf '\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00' >>"$probe"
    printf '\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00' >>"$probe"
    printf '\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08' >>"$probe"
    printf '\x00\x80\x04\x08\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00' >>"$probe"
    printf '\x00\x10\x00\x00\xb8\x01\x00\x00\x00\x31\xdb\xcd\x80' >>"$probe"
    chmod +x "$probe"
    "$probe" 2>/dev/null || status=1
    rm -f "$probe"
    return $status
}

# 32-bit Wine needs a kernel that runs i386 programs and Debian's i386
# architecture. Where it cannot be installed (the i386 and amd64 indexes can be
# out of step on a mirror), the architecture is removed again so it never
# breaks a later install. Returns 0 when 32-bit Wine is usable; otherwise
# WINE32_REASON says why not.
WINE32_REASON=""
ensure_wine32() {
    if ! kernel_runs_i386; then
        WINE32_REASON="this machine's kernel cannot run 32-bit x86 programs"
        return 1
    fi
    if dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q 'install ok installed'; then
        return 0
    fi
    local added=0
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        as_root dpkg --add-architecture i386
        added=1
        APT_UPDATED=0
    fi
    apt_update_once
    if as_root apt-get install -y -q --no-install-recommends wine32:i386; then
        return 0
    fi
    if [ "$added" -eq 1 ] && [ -z "$(dpkg-query -W -f='${binary:Package}\n' '*:i386' 2>/dev/null)" ]; then
        as_root dpkg --remove-architecture i386 || true
        APT_UPDATED=0
        apt_update_once
    fi
    WINE32_REASON="32-bit Wine (wine32:i386) could not be installed from this mirror"
    return 1
}

configure_and_build() {
    local preset=$1
    (cd "$QUORVEL_ROOT" && cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset")
}
