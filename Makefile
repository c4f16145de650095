# The two commands: `make run` and `make test`. Both install what is missing first.
# Machines whose kernel cannot run 32-bit programs (or with NETVANE_NO_WIN32=1) skip the
# 32-bit suites and run the 64-bit build instead; tools/wine-env.sh decides.
SHELL := /bin/bash

.PHONY: all deps configure build build-native build-win32 build-win64 test test-native \
        test-win32 test-win64 run bench dist fuzz clean

all: build

deps:
	@bash tools/install-deps.sh

build-native: deps
	cmake --preset native >/dev/null
	cmake --build --preset native

build-win32: deps
	cmake --preset win32 >/dev/null
	cmake --build --preset win32

build-win64: deps
	cmake --preset win64 >/dev/null
	cmake --build --preset win64

build: build-native build-win32 build-win64

test-native: build-native
	ctest --preset native

test-win32: build-win32
	ctest --preset win32

test-win64: build-win64
	ctest --preset win64

# Every build, every suite this machine can run; fails when any suite fails. The 32-bit
# suites need a kernel that runs 32-bit programs: elsewhere one line says they were skipped.
test: build
	@status=0; \
	ctest --preset native || status=1; \
	if why=$$(bash tools/wine-env.sh win32-check); then \
	  ctest --preset win32 || status=1; \
	else \
	  echo "make test: the 32-bit (win32) suites were skipped: $$why."; \
	fi; \
	ctest --preset win64 || status=1; \
	exit $$status

# The 32-bit build where this machine runs it, else the 64-bit one; says which.
run: deps
	@preset=$$(bash tools/wine-env.sh preset) && \
	$(MAKE) --no-print-directory build-$$preset && \
	bash tools/run.sh $$preset

# The store benchmark (release build, no sanitizers), then the window benchmarks on every
# build this machine runs (the 32-bit one only where its kernel runs 32-bit programs);
# prints the tables of README.md. BENCH_BUILD=win32 or BENCH_BUILD=win64 measures that
# build alone.
bench: deps
	@if [ -n "$(BENCH_BUILD)" ]; then presets="$(BENCH_BUILD)"; \
	elif why=$$(bash tools/wine-env.sh win32-check); then presets="win32 win64"; \
	else presets=win64; echo "make bench: the 32-bit build is not measured: $$why."; fi; \
	for preset in $$presets; do \
	  $(MAKE) --no-print-directory build-$$preset || exit 1; \
	done; \
	cmake --preset bench >/dev/null && \
	cmake --build --preset bench && \
	build/bench/bench/store_bench || exit 1; \
	for preset in $$presets; do \
	  echo; bash tools/bench-gui.sh $$preset || exit 1; \
	done

# The fuzz targets, each for FUZZ_SECONDS (default 60); `make test` replays their corpus.
fuzz: deps
	@bash tools/fuzz.sh

# The release packages: both zips and SHA256SUMS in build/release.
dist: build-win32 build-win64
	@bash tools/dist.sh all

clean:
	rm -rf build/native build/win32 build/win64 build/bench build/run build/release build/fuzz
