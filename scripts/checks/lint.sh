#!/usr/bin/env bash
# The tree is clean under clang-format and clang-tidy: the portable code as
# the native build compiles it, the Windows code as the MinGW builds do.
# "lint.sh --check-tools" says, and fails, when the tools are not there.
set -euo pipefail
cd "$(dirname "$0")/../.."

for tool in clang-format clang-tidy; do
  command -v "$tool" >/dev/null || { echo "Lint: $tool not found (make setup installs it)."; exit 1; }
done
[ "${1:-}" != --check-tools ] || exit 0

mapfile -t sources < <(git ls-files '*.cpp' '*.h')
clang-format --dry-run -Werror "${sources[@]}"

# Files of a build's compile database, less GoogleTest's and those already seen.
declare -A seen
files_of() {
  local file
  for file in $(grep -o '"file": *"[^"]*"' "$1/compile_commands.json" | sed 's/.*"\([^"]*\)"$/\1/'); do
    [[ $file == */googletest/* || -n ${seen[$file]:-} ]] && continue
    seen[$file]=1
    echo "$file"
  done
}

# clang does not know MinGW g++'s own C++ headers; hand it the compiler's list.
mingw_args() {
  echo "--extra-arg=--target=i686-w64-mingw32"
  echo | "$1" -xc++ -E -v - 2>&1 | sed -n '/<...> search starts/,/End of search/p' |
    awk '/^ / {print "--extra-arg=-isystem" $1}'
}

# clang-tidy's verdict (minutes) follows from the sources, the builds'
# settings and the tools alone: a clean one is kept in the cache under a key
# of all three, for a clone with the very same sources.
. scripts/lib.sh
verdicts=$cache/lint
key=$( {
  for file in $(git ls-files -co --exclude-standard '*.cpp' '*.h' '*.cmake' CMakeLists.txt \
      CMakePresets.json .clang-tidy); do
    [ ! -f "$file" ] || { echo "$file"; cat "$file"; }
  done
  # Less the clone's own folder, also as the Windows paths built in.
  sed -e "s|$PWD|.|g" -e 's/Z:[^" ]*//g' build/native/compile_commands.json \
    build/win32-tests/compile_commands.json build/win32/compile_commands.json
  dpkg-query -W 'clang-tidy*' 'libclang-cpp*' 'g++*' 'libstdc++*' 'mingw-w64*' 'libgtest-dev' 2>/dev/null
} | sha256sum | cut -c1-16)
if [ -e "$verdicts/$key" ]; then
  echo "Lint: clean under clang-format and clang-tidy (clang-tidy's verdict on the same sources, kept)."
  exit 0
fi

status=0
tidy() {
  local build=$1
  shift
  mapfile -t files < <(files_of "$build")
  [ ${#files[@]} -eq 0 ] && return 0
  printf '%s\n' "${files[@]}" |
    xargs -P "$(nproc)" -n 4 clang-tidy --quiet -p "$build" "$@" \
      2> >(grep -v '^[0-9]* warnings\? generated\.$\|^\[[0-9]*/[0-9]*\] Processing file ' >&2) || status=1
}
tidy build/native
tidy build/win32-tests $(mingw_args i686-w64-mingw32-g++-posix)
tidy build/win32 $(mingw_args i686-w64-mingw32-g++-win32)
[ $status -eq 0 ] || exit $status
mkdir -p "$verdicts" && touch "$verdicts/$key"
# The last few verdicts are enough for clones on other branches.
ls -t "$verdicts" | tail -n +21 | sed "s|^|$verdicts/|" | xargs -r rm -f
echo "Lint: clean under clang-format and clang-tidy."
