#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the demo domain need.
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"

packages=(
  # build
  build-essential cmake pkg-config git clang-format
  libgtest-dev libgmock-dev googletest
  # fuzzing (libFuzzer and the sanitizer runtimes of clang)
  clang libclang-rt-14-dev
  # directory layer
  libldap2-dev libsasl2-dev libkrb5-dev libgnutls28-dev libsasl2-modules-gssapi-mit
  # test domain
  samba-ad-dc samba-ad-provision samba-dsdb-modules samba-vfs-modules winbind krb5-user
  ldap-utils ldb-tools iproute2
  # Windows build (mingw-w64) and its tests under Wine: display, keys, printing to a file, images
  g++-mingw-w64-x86-64 wine wine64 fonts-wine xvfb xauth
  cups cups-bsd printer-driver-cups-pdf libcups2 ghostscript poppler-utils imagemagick
  # benchmark (peak memory of each program measured, the chart of wall time against objects)
  time gnuplot-nox
  # coverage of the product code (scripts/coverage.sh) and the fault sample's scratch copy
  gcovr rsync
  # packages: building and checking them (lintian), the bash completion's test
  dpkg-dev file zip man-db bsdextrautils lintian bash-completion
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
  # A policy-rc.d keeps the freshly installed Samba daemons from starting on the host.
  added_policy=0
  if [ ! -e /usr/sbin/policy-rc.d ]; then
    printf '#!/bin/sh\nexit 101\n' | $SUDO tee /usr/sbin/policy-rc.d >/dev/null
    $SUDO chmod +x /usr/sbin/policy-rc.d
    added_policy=1
  fi
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
  [ "$added_policy" -eq 0 ] || $SUDO rm -f /usr/sbin/policy-rc.d
fi
