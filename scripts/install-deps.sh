#!/usr/bin/env bash
# Installs the Debian packages the project needs to build, run and test; skips what is present.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
mapfile -t wanted < <(grep -v '^\s*#' "$here/packages.txt" | tr -s ' \t' '\n' | grep -v '^$')
missing=()
for p in "${wanted[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo
$SUDO apt-get update -qq
# NetworkManager is installed only for the tests, which run their own copy inside a namespace: its
# package must neither start it on this machine nor enable it for the next boot.
guard=""
if [ ! -e /usr/sbin/policy-rc.d ]; then
    printf '#!/bin/sh\nexit 101\n' | $SUDO tee /usr/sbin/policy-rc.d >/dev/null
    $SUDO chmod +x /usr/sbin/policy-rc.d
    guard=1
fi
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" ||
    { [ -z "$guard" ] || $SUDO rm -f /usr/sbin/policy-rc.d; exit 1; }
[ -z "$guard" ] || $SUDO rm -f /usr/sbin/policy-rc.d
if printf '%s\n' "${missing[@]}" | grep -qx network-manager && command -v systemctl >/dev/null; then
    $SUDO systemctl disable NetworkManager.service NetworkManager-wait-online.service \
        NetworkManager-dispatcher.service >/dev/null 2>&1 || true
fi
