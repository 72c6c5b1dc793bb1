#!/usr/bin/env bash
# `make bench` (bench.sh BUILD): the core's benchmarks natively, then under
# Wine beside the floor (the same window, no logic) and notepad.exe; the
# tables replace docs/performance.md's between its "figures" markers.
set -euo pipefail
cd "$(dirname "$0")/.."
doc=docs/performance.md
win() { echo "Z:$(realpath -m "$1" | tr / '\\')"; }

native=$(build/bench/core_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true |
  awk '/_median/ {sub(/_median/, "", $1); cpu[$1] = $4; printf "| %s | %s ns |\n", $1, $4}
       END {printf "\nBuildCommandLine / BareConcatenation: %.2fx\n", cpu["BuildCommandLine"] / cpu["BareConcatenation"]}')
arch=$1
wine=$(scripts/env32/root.sh on "$arch" scripts/wine/with-wine.sh --own-display wine "build/$arch-tests/wine_bench.exe" \
  "$(win "build/$arch/vigilo.exe")" "$(win "build/$arch/standin/nwserver.exe")" \
  "$(win "build/$arch/bench/floor.exe")" "$(win build/bench/folder)" \
  "${BENCH_PAIRS:-10}" | tr -d '\r')

figures=$(cat <<MD
<!-- figures: written by \`make bench\` -->
Measured $(date -u +%Y-%m-%d) on $(lscpu | sed -n 's/^Model name: *//p'), $(nproc) cores,
$(scripts/env32/root.sh on "$arch" scripts/wine/bin/wine --version) with Xvfb, $(uname -sr). Reproduce with \`make bench\`.

Native (Google Benchmark, median of 5 repetitions, CPU time per call):

| benchmark | CPU time |
|---|---|
$native

Under Wine ($( [ "$arch" = win32 ] && echo 32 || echo 64)-bit vigilo.exe; programs started by CreateProcess from a parent inside Wine; the floor is \`tests/bench/floor_win.cpp\`, the same 38 controls, fonts and manifest with no logic):

$wine
<!-- /figures -->
MD
)
python3 - "$doc" "$figures" <<'PY'
import re, sys
path, figures = sys.argv[1], sys.argv[2]
text = open(path).read()
text = re.sub(r'<!-- figures.*?<!-- /figures -->', lambda m: figures, text, flags=re.S)
open(path, 'w').write(text)
PY
echo "$figures"
