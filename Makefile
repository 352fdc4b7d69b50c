# A thin wrapper over the CMake presets; see README.md.
.PHONY: deps run check bench fuzz format build-debug build-asan build-release build-windows install package package-windows clean

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

# byteloom-cli.exe, the core and their tests for Windows x64, cross-built with mingw-w64.
build-windows: deps
	@cmake --preset windows >/dev/null
	@cmake --build --preset windows

run: build-debug
	build/debug/src/app/byteloom $(if $(FILE),"$(FILE)",$(wildcard $(SAMPLE)))

check: build-debug build-asan build-windows
	ctest --preset debug
	ctest --preset asan
	scripts/windows-tests

# `make install PREFIX=/opt/byteloom` (default /usr/local) installs the release build.
PREFIX ?= /usr/local
install: build-release
	cmake --install build/release --prefix "$(PREFIX)"

# A Debian package, build/release/byteloom_VERSION_ARCH.deb, with its dependencies computed
# from the programs.
package: build-release
	cd build/release && cpack -G DEB

# build/windows/byteloom-cli-VERSION-windows-x64.zip: the .exe, the README and the manual page as
# text.
package-windows: build-windows
	cmake --build --preset windows --target byteloom_manual_text
	cd build/windows && cpack -G ZIP

bench: build-release
	@scripts/run-benchmarks build/release/bench

FUZZ_SECONDS ?= 60

# Each fuzzer runs for FUZZ_SECONDS from the seeds in tests/fuzz/corpus; what it finds new stays
# in build/fuzz/corpus, crashes in build/fuzz.
fuzz: deps
	@cmake --preset fuzz >/dev/null
	@cmake --build --preset fuzz
	@for f in table script command_script pattern settings layout search patch; do \
	    mkdir -p build/fuzz/corpus/$$f; \
	    echo "== $${f}_fuzzer for $(FUZZ_SECONDS) s"; \
	    (cd build/fuzz && ./tests/fuzz/$${f}_fuzzer -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
	        corpus/$$f ../../tests/fuzz/corpus/$$f) || exit 1; \
	done

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
