# Vigilo: `make run` starts the tool in a demo server folder under Wine;
# `make test` runs every test. Both install what is missing first.
JOBS ?= $(shell nproc)
# cmake --build's own make inherits MAKELEVEL and would announce every folder.
MAKEFLAGS += --no-print-directory

.PHONY: all setup build test lint soak fuzz bench release run screenshot clean

all: build

setup:
	@scripts/setup.sh

build: setup
	@cmake --preset native >/dev/null && cmake --build --preset native -j $(JOBS)
	@cmake --preset native-asan >/dev/null && cmake --build --preset native-asan -j $(JOBS)
	@cmake --preset win32 >/dev/null && cmake --build --preset win32 -j $(JOBS)
	@# Where no 32-bit code runs here, these tests run in the slower emulated PC.
	@cmake --preset win32-tests -DVIGILO_TIME_SCALE=$$([ "$$(scripts/wine-arch.sh 2>/dev/null)" = win64 ] && echo 5 || echo 1) \
	  >/dev/null && cmake --build --preset win32-tests -j $(JOBS)
	@cmake --preset win64 >/dev/null && cmake --build --preset win64 -j $(JOBS)
	@cmake --preset win64-tests >/dev/null && cmake --build --preset win64-tests -j $(JOBS)

test: build
	@scripts/test.sh

# clang-format and clang-tidy over the whole tree; part of `make test`.
lint: build
	@scripts/lint.sh

# The Windows build the runtime commands use: win32 where 32-bit Wine runs,
# else win64 (scripts/wine-arch.sh, which also says so).
ARCH = arch=$$(scripts/wine-arch.sh) && echo "Running the $$arch build." &&

# The long soak: 10,000 watchdog ticks against real stand-in servers.
# Outside ctest, whose time bound is for the default 1,500 ticks.
soak: build
	@$(ARCH) VIGILO_OWN_DISPLAY=1 VIGILO_SOAK_TICKS=10000 scripts/with-wine.sh \
	  wine build/$$arch-tests/blackbox_tests.exe --gtest_filter='Soak.*'

# Each fuzz target for 60 s under libFuzzer.
fuzz: setup
	@scripts/setup.sh fuzz
	@cmake --preset fuzz >/dev/null && cmake --build --preset fuzz -j $(JOBS)
	@scripts/fuzz.sh

# Benchmarks natively and under Wine; the figures go to docs/performance.md.
bench: build
	@scripts/setup.sh bench
	@cmake --preset bench >/dev/null && cmake --build --preset bench -j $(JOBS) --target core_bench
	@$(ARCH) VIGILO_ARCH=$$arch scripts/bench.sh

# The 32- and 64-bit zips in dist/, reproducible byte for byte.
release: build
	@scripts/release.sh

# Builds only what it runs, quietly unless the build fails.
run: setup
	@arch=$$(scripts/wine-arch.sh) && mkdir -p build && \
	  if ! { cmake --preset $$arch && cmake --build --preset $$arch -j $(JOBS) --target vigilo nwserver; } \
	    >build/run-build.log 2>&1; then cat build/run-build.log; exit 1; fi && \
	  VIGILO_ARCH=$$arch scripts/run-demo.sh

screenshot: build
	@$(ARCH) VIGILO_ARCH=$$arch VIGILO_OWN_DISPLAY=1 scripts/with-wine.sh scripts/screenshot.sh docs/vigilo.png

clean:
	rm -rf build dist
