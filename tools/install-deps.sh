#!/bin/bash
# Installs the Debian packages the build and the tests need, when missing,
# and the Japanese locale that Wine takes its code page from.
set -euo pipefail

packages=(
    cmake ninja-build g++ libgtest-dev libgmock-dev googletest libbenchmark-dev
    clang libclang-rt-14-dev
    g++-mingw-w64-x86-64-posix mingw-w64-tools
    wine64 wine xvfb xauth locales fonts-ipafont-gothic fonts-wine
    libimage-exiftool-perl libxml2-utils imagemagick libexpat1-dev time
    nsis weasyprint poppler-utils python3
)

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    # With the recommended packages: Wine's windows need the X libraries and
    # fonts that libwine only recommends.
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
fi

if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
    echo "Generating the ja_JP.UTF-8 locale"
    $sudo sed -i 's/^# *ja_JP.UTF-8 UTF-8/ja_JP.UTF-8 UTF-8/' /etc/locale.gen
    grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
    $sudo locale-gen >/dev/null
fi
