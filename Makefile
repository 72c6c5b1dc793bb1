# Vigilo: `make run` starts the tool in a demo server folder under Wine;
# `make test` runs every test. Both install what is missing first.
JOBS ?= $(shell nproc)
# cmake --build's own make inherits MAKELEVEL and would announce every folder.
MAKEFLAGS += --no-print-directory

.PHONY: all setup build test lint soak fuzz bench release run screenshot clean clean-cache

all: build

setup:
	@scripts/setup.sh

build: setup
	@for preset in native native-asan win32 win32-tests win64 win64-tests; do \
	  cmake --preset $$preset >/dev/null && cmake --build --preset $$preset -j $(JOBS) || exit 1; done

# Builds what it runs, starting the suites that wait on real intervals first.
test: setup
	@scripts/test.sh

# clang-format and clang-tidy over the whole tree; part of `make test`.
lint: build
	@scripts/checks/lint.sh

# The Windows build the runtime commands use: the shipped win32 exe in the
# project's 32-bit root where that runs here, else win64 on the host
# (scripts/env32/path.sh, which also says so).
BUILD = build=$$(scripts/env32/path.sh --build) && echo "Running the $$build build." &&

# The long soak: 10,000 watchdog ticks against real stand-in servers.
# Outside ctest, whose time bound is for the default 1,500 ticks.
soak: build
	@$(BUILD) VIGILO_SOAK_TICKS=10000 scripts/env32/root.sh on $$build scripts/wine/with-wine.sh \
	  --own-display wine build/$$build-tests/blackbox_tests.exe --gtest_filter='Soak.*'

# Each fuzz target for 60 s under libFuzzer.
fuzz: setup
	@scripts/setup.sh fuzz
	@cmake --preset fuzz >/dev/null && cmake --build --preset fuzz -j $(JOBS)
	@scripts/fuzz.sh

# Benchmarks natively and under Wine; the figures go to docs/performance.md.
bench: build
	@scripts/setup.sh bench
	@cmake --preset bench >/dev/null && cmake --build --preset bench -j $(JOBS) --target core_bench
	@$(BUILD) scripts/bench.sh $$build

# The 32- and 64-bit zips in dist/, reproducible byte for byte.
release: build
	@scripts/release.sh

# Builds only what it runs, quietly unless the build fails. Never waits for
# the 32-bit root: until it is made, the 64-bit build runs on the host.
run: setup
	@build=$$(scripts/env32/path.sh --build 2>/dev/null) && mkdir -p build/logs && \
	  if ! { cmake --preset $$build && cmake --build --preset $$build -j $(JOBS) --target vigilo nwserver; } \
	    >build/logs/run-build.log 2>&1; then cat build/logs/run-build.log; exit 1; fi && \
	  scripts/run-demo.sh $$build

screenshot: build
	@$(BUILD) scripts/screenshot.sh $$build docs/vigilo.png

clean:
	rm -rf build dist

# The machine's cache that every clone shares (the 32-bit root, its QEMU
# guest, Wine prefix templates, the compiler cache and lint's verdicts),
# removed the way it was made.
clean-cache:
	@cache=$${XDG_CACHE_HOME:-$$HOME/.cache}/vigilo; \
	  scripts/privileged.sh rm -rf "$$cache" 2>/dev/null || rm -rf "$$cache"; \
	  [ ! -e "$$cache" ] && echo "Removed $$cache."
