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

if [ ${#need[@]} -eq 0 ]; then
  make_locale
  exit 0
fi

echo "Installing: ${need[*]}"
if [[ " ${need[*]} " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo_cmd[@]}" dpkg --add-architecture i386
fi
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends \
  "${need[@]}" >/dev/null
make_locale
