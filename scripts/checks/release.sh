#!/usr/bin/env bash
# The release zips as a person on Windows gets them (the exe, and the licence
# and guide in CRLF, the guide with its install steps and log lines),
# SHA256SUMS, and the same bytes from exes built again in other folders.
set -euo pipefail
cd "$(dirname "$0")/../.."
scripts/release.sh >/dev/null
(cd dist && sha256sum -c --quiet SHA256SUMS)
python3 - dist/*.zip <<'PY'
import sys, zipfile
for path in sys.argv[1:]:
    z = zipfile.ZipFile(path)
    names = z.namelist()
    assert names == ["LICENSE.txt", "README.txt", "vigilo.exe"], (path, names)
    for name in ("LICENSE.txt", "README.txt"):
        text = z.read(name)
        assert text.count(b"\n") == text.count(b"\r\n") > 0, f"{path}: {name} is not CRLF"
    guide = z.read("README.txt").decode("ascii")
    for needed in ("Installing", '"Start in"', "shell:startup", "Server killed",
                   "Server crashed...Restarting", "Server shut down...Restarting",
                   "Server could not be started: <reason>", "error 740",
                   "VB and VBA Program Settings", "Windows 98", "MIT"):
        assert needed in guide, f"{path}: README.txt lacks {needed!r}"
    assert "](" not in guide and "`" not in guide, f"{path}: markup left in README.txt"
PY

# Compiled for real (not from the compiler cache): nothing of the build's
# folder or time gets in.
first=$(cat dist/SHA256SUMS)
for arch in win32 win64; do
  cmake --preset "$arch" -B "build/repro/$arch" >/dev/null
  CCACHE_DISABLE=1 cmake --build "build/repro/$arch" -j "$(nproc)" --target vigilo >/dev/null
done
mkdir -p build/repro/dist
again=$(
  version=$(sed -n 's/^project(vigilo VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
  cd build/repro
  for arch in win32 win64; do
    python3 ../../scripts/make-zip.py "dist/vigilo-$version-$arch.zip" "$arch/vigilo.exe" \
      ../../README.md ../../LICENSE
  done
  cd dist && sha256sum "vigilo-$version-win32.zip" "vigilo-$version-win64.zip"
)
[ "$again" = "$first" ] || { echo "The zips differ when built again:"; echo "$first"; echo "$again"; exit 1; }
echo "Release zips: contents, CRLF guide, SHA256SUMS and a second build's bytes all check."
