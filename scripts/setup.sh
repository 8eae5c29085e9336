#!/usr/bin/env bash
# Installs what a fresh Debian machine lacks to build and run the library under Wine.
# Idempotent: does nothing when everything is already there.
set -euo pipefail

# How long (seconds) to wait for another installation to let go of the package locks.
lock_wait=900

# Two runs side by side (the run and the test commands started together on a fresh machine)
# take turns: the second finds what the first installed, and their locale generations cannot
# overwrite each other's archive.
if [ "$(id -u)" = 0 ]; then
  lock_dir=/run/lock
  [ -d "$lock_dir" ] || lock_dir=/tmp
  exec 9>"$lock_dir/zandrel-setup.lock"
  if ! flock -w "$lock_wait" 9; then
    echo "setup: another setup has been running for $lock_wait seconds; giving up" >&2
    exit 1
  fi
fi

# apt-get install waits for the package lock when told to (DPkg::Lock::Timeout); dpkg and
# apt-get update refuse at once when another installation holds theirs, and are tried again
# until it lets go. Any other failure ends the setup at once.
retry_locked() {
  local deadline=$((SECONDS + lock_wait)) err
  while ! err=$(LC_ALL=C "$@" 2>&1 >/dev/null); do
    if ! grep -qi 'lock' <<<"$err" || [ "$SECONDS" -ge "$deadline" ]; then
      printf '%s\n' "$err" >&2
      return 1
    fi
    sleep 2
  done
  [ -z "$err" ] || printf '%s\n' "$err" >&2
}

need=()
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  retry_locked dpkg --add-architecture i386
  added_arch=1
fi

for p in cmake make g++-mingw-w64-i686-posix mingw-w64-i686-dev wine wine32:i386 wine64 xvfb \
         fonts-wine libz-mingw-w64-dev libstb-dev doctest-dev locales x11-apps imagemagick python3 \
         xauth fonts-dejavu-core fonts-wqy-microhei; do
  have_pkg "$p" || need+=("$p")
done

if [ ${#need[@]} -gt 0 ] || [ -n "${added_arch:-}" ]; then
  export DEBIAN_FRONTEND=noninteractive
  retry_locked apt-get -o DPkg::Lock::Timeout="$lock_wait" update -qq
  if [ ${#need[@]} -gt 0 ]; then
    apt-get -o DPkg::Lock::Timeout="$lock_wait" install -y -qq --no-install-recommends "${need[@]}" >/dev/null
  fi
fi

# Wine takes the ANSI code page from the Unix locale: ru_RU.UTF-8 gives 1251, as our users have.
if ! locale -a 2>/dev/null | grep -qi '^ru_RU\.utf-\?8$'; then
  if ! grep -q '^ru_RU.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
    echo 'ru_RU.UTF-8 UTF-8' >> /etc/locale.gen
  fi
  locale-gen >/dev/null
fi
