#!/usr/bin/env bash
# Installs what a fresh Debian machine lacks to build and run the library under Wine.
# Idempotent: does nothing when everything is already there.
set -euo pipefail

need=()
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  added_arch=1
fi

for p in cmake make g++-mingw-w64-i686-posix mingw-w64-i686-dev wine wine32:i386 wine64 xvfb \
         fonts-wine libz-mingw-w64-dev libstb-dev doctest-dev locales x11-apps imagemagick python3 \
         xauth fonts-dejavu-core fonts-wqy-microhei; do
  have_pkg "$p" || need+=("$p")
done

if [ ${#need[@]} -gt 0 ] || [ -n "${added_arch:-}" ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  if [ ${#need[@]} -gt 0 ]; then
    apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
  fi
fi

# Wine takes the ANSI code page from the Unix locale: ru_RU.UTF-8 gives 1251, as our users have.
if ! locale -a 2>/dev/null | grep -qi '^ru_RU\.utf-\?8$'; then
  if ! grep -q '^ru_RU.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
    echo 'ru_RU.UTF-8 UTF-8' >> /etc/locale.gen
  fi
  locale-gen >/dev/null
fi
