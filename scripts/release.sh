#!/usr/bin/env bash
# `make release`: dist/vigilo-<version>-win32.zip and -win64.zip, each with
# the exe, the README and the licence. Byte for byte the same on every build:
# the PE has no time stamp, and the archive has sorted entries, one fixed
# date and fixed permissions.
set -euo pipefail
cd "$(dirname "$0")/.."
version=$(sed -n 's/^project(vigilo VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
mkdir -p dist
for arch in win32 win64; do
  zip=dist/vigilo-$version-$arch.zip
  python3 - "$zip" "build/$arch/vigilo.exe" README.md LICENSE <<'PY'
import sys, zipfile
out, files = sys.argv[1], sorted(sys.argv[2:], key=lambda f: f.rsplit('/', 1)[-1])
with zipfile.ZipFile(out, 'w', zipfile.ZIP_DEFLATED) as z:
    for path in files:
        info = zipfile.ZipInfo(path.rsplit('/', 1)[-1], date_time=(2026, 1, 1, 0, 0, 0))
        info.external_attr = 0o644 << 16
        info.create_system = 3
        info.compress_type = zipfile.ZIP_DEFLATED
        with open(path, 'rb') as f:
            z.writestr(info, f.read(), compresslevel=9)
PY
  echo "$(sha256sum "$zip" | cut -c1-64)  $zip ($(stat -c %s "$zip") bytes)"
done
