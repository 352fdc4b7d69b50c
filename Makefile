# A thin wrapper over the CMake presets; see README.md.
.PHONY: deps run check bench format build-debug build-asan build-release clean

SAMPLE := examples/sample.sfc
FILE ?=

deps:
	@scripts/install-deps

build-debug: deps
	@cmake --preset debug >/dev/null
	@cmake --build --preset debug

build-asan: deps
	@cmake --preset asan >/dev/null
	@cmake --build --preset asan

build-release: deps
	@cmake --preset release >/dev/null
	@cmake --build --preset release

run: build-debug
	build/debug/src/app/byteloom $(if $(FILE),"$(FILE)",$(wildcard $(SAMPLE)))

check: build-debug build-asan
	ctest --preset debug
	ctest --preset asan

bench: build-release
	@scripts/run-benchmarks build/release/bench

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
