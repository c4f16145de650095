# The two commands: `make run` and `make test`. Both install what is missing first.
SHELL := /bin/bash

.PHONY: all deps configure build build-native build-win32 test test-native test-win32 run bench clean

all: build

deps:
	@bash tools/install-deps.sh

build-native: deps
	cmake --preset native >/dev/null
	cmake --build --preset native

build-win32: deps
	cmake --preset win32 >/dev/null
	cmake --build --preset win32

build: build-native build-win32

test-native: build-native
	ctest --preset native

test-win32: build-win32
	ctest --preset win32

# Both builds, every test; fails when either suite fails, ends with CTest's summary.
test: build
	@status=0; \
	ctest --preset native || status=1; \
	ctest --preset win32 || status=1; \
	exit $$status

run: build-win32
	@bash tools/run.sh

# The store benchmark (release build, no sanitizers); prints the table of README.md.
bench: build-win32
	cmake --preset bench >/dev/null
	cmake --build --preset bench
	build/bench/bench/store_bench
	@echo
	@bash tools/bench-gui.sh

clean:
	rm -rf build/native build/win32 build/bench
