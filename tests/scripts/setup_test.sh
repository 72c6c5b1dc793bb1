#!/usr/bin/env bash
# Set-up's decisions against a faked apt-get, dpkg and dpkg-query: a list
# that fails to download, a needed package that cannot be had, nothing
# missing (a host's own 32-bit Wine left as it is), no root. It never adds
# the i386 architecture.
set -euo pipefail
setup=$(cd "$(dirname "$0")/../.." && pwd)/scripts/setup.sh
fake=$(mktemp -d)
trap 'rm -rf "$fake"' EXIT
mkdir "$fake/bin"
cat >"$fake/bin/dpkg-query" <<'F'
#!/bin/bash
# -W -f=FORMAT PACKAGE: installed packages from $FAKE/installed.
grep -qx "$3" "$FAKE/installed" && echo "install ok installed"
exit 0
F
printf '#!/bin/sh\necho "dpkg $*" >>"$FAKE/calls"\n' >"$fake/bin/dpkg"
cat >"$fake/bin/apt-get" <<'F'
#!/bin/bash
echo "apt-get $*" >>"$FAKE/calls"
[[ " $* " == *" update "* ]] && { [ -z "$FAKE_UPDATE_FAILS" ] || { echo "E: Failed to fetch a list"; exit 100; }; exit 0; }
for arg; do
  [[ $arg == -* || $arg == install ]] && continue
  grep -qx "$arg" "$FAKE/unavailable" && { echo "E: Unable to locate package $arg"; exit 100; }
done
for arg; do [[ $arg == -* || $arg == install ]] || echo "$arg" >>"$FAKE/installed"; done
F
printf '#!/bin/sh\necho "${FAKE_UID:-0}"\n' >"$fake/bin/id"
# A sudo that asks for a password: refused with -n, else it records the ask
# and runs the command, as if the password had been typed.
cat >"$fake/bin/sudo" <<'F'
#!/bin/bash
[ "$1" = -n ] && exit 1
echo "sudo asked for a password" >>"$FAKE/calls"
exec "$@"
F
printf '#!/bin/sh\necho ru_RU.utf8\n' >"$fake/bin/locale"
chmod +x "$fake/bin/"*
# A machine without sudo: the fakes and only the system's tools set-up uses.
mkdir "$fake/nosudo"
for tool in bash env grep sed cut tail cat printf; do ln -s "$(command -v "$tool")" "$fake/nosudo/"; done

failed=0
# $1: case name; $2: packages installed; $3: ones apt cannot install;
# $4: the update fails (1 or empty); $5: the user id; $6: exit status wanted;
# then the lines the output must hold, and "!" before one it must not.
# $PATHS (default: the fakes, then the system) and $AT: "terminal" runs
# set-up with a terminal as its input.
check() {
  local name=$1 status=0 out line
  rm -f "$fake/calls"
  printf '%s\n' $2 >"$fake/installed"
  printf '%s\n' $3 >"$fake/unavailable"
  local run=(env PATH="${PATHS:-$fake/bin:$PATH}" FAKE="$fake" FAKE_UPDATE_FAILS=$4 FAKE_UID=$5 "$setup")
  [ "${AT:-}" != terminal ] || run=(script -qec "${run[*]}" /dev/null)
  out=$("${run[@]}" 2>&1 </dev/null) || status=$?
  [ "$status" = "$6" ] || { echo "$name: exit $status, wanted $6"; failed=1; }
  shift 6
  for line; do
    if [[ $line == !* ]]; then
      ! grep -qF -- "${line#!}" <<<"$out" || { echo "$name: said \"${line#!}\""; failed=1; }
    else
      grep -qF -- "$line" <<<"$out" || { echo "$name: did not say \"$line\""; failed=1; }
    fi
  done
  ! grep -q -- '-architecture' "$fake/calls" 2>/dev/null ||
    { echo "$name: changed the architectures: $(grep -- -architecture "$fake/calls")"; failed=1; }
  [ $failed -eq 0 ] || { echo "$name printed:"; echo "$out"; cat "$fake/calls" 2>/dev/null; exit 1; }
}
all="cmake make g++ libgtest-dev googletest mingw-w64 wine wine64 xvfb imagemagick xdotool x11-utils
     python3 clang-tidy clang-format fonts-wine locales bubblewrap mmdebstrap uidmap ccache"

check "a failed list" "${all/wine64/}" "" 1 0 0 \
  "Installing: wine64" "some package lists could not be fetched (E: Failed to fetch a list)" "!i386"
grep -q 'install .* wine64' "$fake/calls" || { echo "a failed list: wine64 was not installed"; exit 1; }

check "a needed package missing" "${all/python3/}" "python3" "" 0 1 \
  "cannot install python3: E: Unable to locate package python3"

check "nothing missing" "$all wine32:i386" "" "" 0 0 "!Installing"
[ ! -f "$fake/calls" ] || { echo "nothing missing, yet apt or dpkg ran: $(cat "$fake/calls")"; exit 1; }

# A normal user: sudo asks for the password at a terminal; without a
# terminal, or without sudo at all, one line says what to run as root.
AT=terminal check "a password at a terminal" "${all/xvfb/}" "" "" 1000 0 "may ask for your password"
grep -q 'sudo asked for a password' "$fake/calls" && grep -q 'install .* xvfb' "$fake/calls" ||
  { echo "a password at a terminal: xvfb was not installed through sudo"; exit 1; }
for at in "no terminal" "no sudo"; do
  want="as root, run: apt-get install --no-install-recommends xvfb"
  PATHS=$([ "$at" = "no sudo" ] && echo "$fake/bin:$fake/nosudo" || echo "$fake/bin:$PATH") \
    check "$at" "${all/xvfb/}" "" "" 1000 1 "$want" "!i386"
  [ ! -f "$fake/calls" ] || { echo "$at: $(cat "$fake/calls")"; exit 1; }
done
echo "Set-up: 6 cases passed."
