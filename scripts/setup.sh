#!/usr/bin/env bash
# Installs what building and testing need, and only what is missing; with
# nothing missing it runs no apt at all. "setup.sh fuzz" and "setup.sh bench"
# install what only those commands need.
# A registry's faults stop it only where a package that is needed cannot be
# had: a package list that fails to download is reported and set aside, and
# 32-bit Wine is optional (without it the 64-bit path runs, scripts/wine-arch.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

case ${1:-} in
  fuzz) required=(clang libclang-rt-dev) ;;
  bench) required=(libbenchmark-dev) ;;
  *) required=(cmake make g++ libgtest-dev googletest mingw-w64 wine wine64 xvfb imagemagick
               xdotool x11-utils python3 clang-tidy clang-format fonts-wine locales) ;;
esac

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
missing() {
  local pkg
  for pkg; do installed "$pkg" || echo "$pkg"; done
}

as_root=()
root_ok() {
  [ "$(id -u)" -eq 0 ] && return 0
  command -v sudo >/dev/null && sudo -n true 2>/dev/null && as_root=(sudo -n) && return 0
  return 1
}
# sudo drops the environment; env hands apt the variable as root.
apt() { "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -o Acquire::Retries=3 "$@"; }

updated=
update() {
  [ -n "$updated" ] && return 0
  updated=1
  local out
  if ! out=$(apt update -qq 2>&1) || grep -q '^E:\|^W: Failed' <<<"$out"; then
    echo "Set-up: some package lists could not be fetched ($(grep -m1 '^[EW]:' <<<"$out" | cut -c1-160));" \
         "going on with the lists there are."
  fi
}

# Installs $@ in one go; else says which cannot be had, with apt's own words.
install() {
  local out bad=() pkg
  echo "Installing: $*"
  update
  out=$(apt install -y -qq --no-install-recommends "$@" 2>&1) && return 0
  for pkg; do
    installed "$pkg" || apt install -y -qq --no-install-recommends "$pkg" >/dev/null 2>&1 || bad+=("$pkg")
  done
  [ ${#bad[@]} -eq 0 ] && return 0
  echo "Set-up: cannot install ${bad[*]}: $(grep -m1 '^E:' <<<"$out" || tail -n 1 <<<"$out")" >&2
  return 1
}

mode=${1:-}
mapfile -t need < <(missing "${required[@]}")
locale=
[ -z "$mode" ] && ! locale -a 2>/dev/null | grep -qx 'ru_RU.utf8' && locale=1
wine32=
[ -z "$mode" ] && ! installed wine32:i386 && wine32=1
# Where no 32-bit code runs, the 32-bit exe is tested in an emulated PC.
guest_need() {
  [ -z "$mode" ] && [ "$(scripts/wine-arch.sh 2>/dev/null)" = win64 ] &&
    missing qemu-system-x86 debootstrap e2fsprogs
  return 0
}
if [ ${#need[@]} -eq 0 ] && [ -z "$locale" ] && [ -z "$wine32" ]; then
  mapfile -t need < <(guest_need)
  [ ${#need[@]} -eq 0 ] && exit 0
fi

if ! root_ok; then
  all=("${need[@]}")
  [ -z "$wine32" ] || all+=(wine32:i386)
  echo "Set-up needs root to install packages, and sudo is not available without a password." >&2
  [ ${#all[@]} -eq 0 ] || echo "Ask an administrator to run: apt-get install --no-install-recommends ${all[*]}" >&2
  [ -z "$locale" ] || echo "and: localedef -i ru_RU -f UTF-8 ru_RU.UTF-8" >&2
  exit 1
fi

# The packages `make run` and `make test` need come first, and must be had.
if [ ${#need[@]} -gt 0 ]; then
  install "${need[@]}" || exit 1
fi
# The Cyrillic code page test makes its Wine prefix under this locale.
[ -z "$locale" ] || "${as_root[@]}" localedef -i ru_RU -f UTF-8 ru_RU.UTF-8

# 32-bit Wine, in a step of its own: optional. Its amd64 twins may come from
# a suite whose i386 list could not be had; a second try takes the base
# release's versions of them instead.
if [ -n "$wine32" ]; then
  added_i386=
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    "${as_root[@]}" dpkg --add-architecture i386
    added_i386=1
    updated=
  fi
  release=$(. /etc/os-release 2>/dev/null && echo "${VERSION_CODENAME:-}")
  if ! install wine32:i386 2>/dev/null &&
     ! { [ -n "$release" ] && apt install -y -qq --no-install-recommends -t "$release" wine32:i386 >/dev/null 2>&1; }; then
    echo "Set-up: 32-bit Wine (wine32:i386) cannot be installed here; the tests take the 64-bit path" \
         "(64-bit Wine, the 32-bit exe in an emulated PC). The next make setup tries again."
    if [ -n "$added_i386" ] && ! dpkg-query -W -f='${Architecture}\n' 2>/dev/null | grep -qx i386; then
      "${as_root[@]}" dpkg --remove-architecture i386
    fi
  fi
fi
# Which path this machine takes is known once Wine is.
mapfile -t need < <(guest_need)
[ ${#need[@]} -eq 0 ] || install "${need[@]}" || exit 1
