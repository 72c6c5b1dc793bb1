#!/usr/bin/env bash
# Installs what building and testing need, and only what is missing.
set -euo pipefail

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)

need=()
installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

for pkg in cmake make g++ libgtest-dev googletest mingw-w64 wine wine64 wine32:i386 xvfb \
           imagemagick xdotool x11-utils file clang-14 libclang-rt-14-dev clang-tidy clang-format \
           libbenchmark-dev fonts-wine locales; do
  installed "$pkg" || need+=("$pkg")
done

# The Cyrillic code page test makes its Wine prefix under this locale.
make_locale() {
  locale -a 2>/dev/null | grep -qx 'ru_RU.utf8' ||
    "${sudo_cmd[@]}" localedef -i ru_RU -f UTF-8 ru_RU.UTF-8
}

updated=
install() {
  echo "Installing: $*"
  if [[ " $* " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    "${sudo_cmd[@]}" dpkg --add-architecture i386
  fi
  [ -n "$updated" ] || "${sudo_cmd[@]}" apt-get update -qq
  updated=1
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends \
    "$@" >/dev/null
}
[ ${#need[@]} -eq 0 ] || install "${need[@]}"
make_locale

# Where 32-bit Wine cannot run, the 32-bit exe is tested in an emulated PC.
if [ "$(cd "$(dirname "$0")/.." && scripts/wine-arch.sh 2>/dev/null)" = win64 ]; then
  need=()
  for pkg in qemu-system-x86 debootstrap e2fsprogs; do installed "$pkg" || need+=("$pkg"); done
  [ ${#need[@]} -eq 0 ] || install "${need[@]}"
fi
