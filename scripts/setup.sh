#!/usr/bin/env bash
# Installs what building and testing need, only what is missing (with
# nothing missing, no apt at all); "setup.sh fuzz", "bench" and "qemu" what
# only those need. Only a needed package that cannot be had stops it; a
# list that fails to download is reported and set aside. The host gets no
# i386 package: the 32-bit exe runs in the project's own root.
set -euo pipefail
cd "$(dirname "$0")/.."

case ${1:-} in
  fuzz) required=(clang libclang-rt-dev) ;;
  bench) required=(libbenchmark-dev) ;;
  qemu) required=(qemu-system-x86 e2fsprogs) ;;
  *) required=(cmake make g++ libgtest-dev googletest mingw-w64 wine wine64 xvfb imagemagick
               xdotool x11-utils python3 clang-tidy clang-format fonts-wine locales
               bubblewrap mmdebstrap uidmap ccache) ;;
esac

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
missing() { for pkg; do installed "$pkg" || echo "$pkg"; done; }

# Root, sudo without a password, or sudo that asks for it at a terminal.
as_root=()
root_ok() {
  [ "$(id -u)" -eq 0 ] && return 0
  command -v sudo >/dev/null || return 1
  if sudo -n true 2>/dev/null; then
    as_root=(sudo -n)
  elif [ -t 0 ]; then
    echo "Set-up installs packages with sudo, which may ask for your password."
    as_root=(sudo)
  else
    return 1
  fi
}
# sudo drops the environment; env hands apt the variables as root.
apt() {
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive ${http_proxy:+http_proxy="$http_proxy"} \
    ${https_proxy:+https_proxy="$https_proxy"} apt-get -o Acquire::Retries=3 "$@"
}

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
[ ${#need[@]} -gt 0 ] || [ -n "$locale" ] || exit 0

if ! root_ok; then
  todo=()
  [ ${#need[@]} -eq 0 ] || todo+=("apt-get install --no-install-recommends ${need[*]}")
  [ -z "$locale" ] || todo+=("localedef -i ru_RU -f UTF-8 ru_RU.UTF-8")
  echo "Set-up needs root, and no sudo can be asked here; as root, run: $(printf '%s && ' "${todo[@]}" | sed 's/ && $//')" >&2
  exit 1
fi

# Every package asked for must be had.
[ ${#need[@]} -eq 0 ] || install "${need[@]}" || exit 1
# The Cyrillic code page test makes its Wine prefix under this locale.
[ -z "$locale" ] || "${as_root[@]}" localedef -i ru_RU -f UTF-8 ru_RU.UTF-8
