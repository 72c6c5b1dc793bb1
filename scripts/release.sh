#!/usr/bin/env bash
# `make release`: dist/vigilo-<version>-win32.zip and -win64.zip, each with
# the exe, README.txt (the user's guide of README.md as plain text) and
# LICENSE.txt, both with CRLF line ends for Notepad; and dist/SHA256SUMS.
# Byte for byte the same on every build: the PE has no time stamp, and the
# archive has sorted entries, one fixed date and fixed permissions.
set -euo pipefail
cd "$(dirname "$0")/.."
version=$(sed -n 's/^project(vigilo VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
mkdir -p dist
zips=()
for arch in win32 win64; do
  zip=vigilo-$version-$arch.zip
  zips+=("$zip")
  python3 scripts/make-zip.py dist/"$zip" "build/$arch/vigilo.exe" README.md LICENSE
  echo "$(sha256sum "dist/$zip" | cut -c1-64)  dist/$zip ($(stat -c %s "dist/$zip") bytes)"
done
(cd dist && sha256sum "${zips[@]}" >SHA256SUMS)
