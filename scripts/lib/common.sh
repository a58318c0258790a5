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
                osslsigncode openssl libssl-dev xvfb xauth clang libclang-rt-14-dev dbus-daemon)
WINDOWS_PACKAGES=(mingw-w64 g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix wine wine64 nsis zip)

# 32-bit Wine needs Debian's i386 architecture. Where it cannot be installed
# (the i386 and amd64 indexes can be out of step on a mirror), the
# architecture is removed again so it never breaks a later install.
# Returns 0 when 32-bit Wine is usable.
ensure_wine32() {
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
    return 1
}

configure_and_build() {
    local preset=$1
    (cd "$QUORVEL_ROOT" && cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset")
}
