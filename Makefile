# Entry points for people and CI. Each target installs what is missing (Debian packages) first.
PACKAGES := cmake ninja-build g++ pkg-config libgtest-dev libgmock-dev libbenchmark-dev valgrind \
            nlohmann-json3-dev libcli11-dev libcairo2-dev python3-fonttools
# The macOS cross build: clang and libc++'s headers, lld 16 for Mach-O (14 writes wrong
# __eh_frame addresses), LLVM's objdump and nm for the bundle's test, and a native compiler
# for the property list generator.
MACOS_PACKAGES := cmake ninja-build g++ clang-14 libc++-14-dev lld-16 llvm-14
# The Windows cross build and its proof under Wine (pefile reads the DLL in the tests).
WINDOWS_PACKAGES := cmake ninja-build g++ g++-mingw-w64-x86-64-posix wine64 python3-pefile
# The fuzz target: clang with its sanitizer and libFuzzer runtimes.
FUZZ_PACKAGES := clang-14 libclang-rt-14-dev
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: deps deps-macos deps-windows deps-fuzz build-fuzz fuzz test demo bench macos windows build-dev build-release clean format

# $(call install-missing,PACKAGES)
define install-missing
	@missing=""; for p in $(1); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $(SUDO) apt-get update -qq && DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq $$missing; \
	fi
endef

deps:
	$(call install-missing,$(PACKAGES))

deps-macos:
	$(call install-missing,$(MACOS_PACKAGES))

deps-windows:
	$(call install-missing,$(WINDOWS_PACKAGES))

deps-fuzz: deps
	$(call install-missing,$(FUZZ_PACKAGES))

build-fuzz: deps-fuzz
	cmake --preset fuzz
	cmake --build --preset fuzz

build-dev: deps
	cmake --preset dev
	cmake --build --preset dev

build-release: deps
	cmake --preset release
	cmake --build --preset release

# Builds every configuration and runs every test: the Linux suites under ASan/UBSan, the macOS
# bundle's checks, the Windows module under Wine (compared with this build's Linux host), the
# end-to-end sessions under valgrind on the release build, and a short seeded fuzz run.
test: build-dev macos windows build-release build-fuzz
	ctest --preset dev
	ctest --preset windows
	ctest --preset release -L valgrind
	ctest --preset fuzz

# Builds the release configuration and plays the demo session in the headless host.
demo: build-release
	build/release/bin/orvane-host run examples/demo.json --out out/demo

# Cross-builds the macOS bundle into dist/macos/OrvaneTavolin.plugin.
macos: deps-macos
	cmake --preset macos
	cmake --build --preset macos
	rm -rf dist/macos
	cmake --install build/macos --prefix dist/macos

# Runs the benchmarks on the release build and prints their figures.
bench: build-release
	build/release/bin/orvane_bench --benchmark_counters_tabular=true

# Cross-builds the Windows module and host into dist/windows/.
windows: deps-windows
	cmake --preset windows
	cmake --build --preset windows
	rm -rf dist/windows
	mkdir -p dist/windows
	cp build/windows/bin/OrvaneTavolin.aex build/windows/bin/orvane-host.exe dist/windows/

# A long fuzz run (FUZZ_SECONDS, ten minutes by default); new inputs stay in build/fuzz/.
FUZZ_SECONDS ?= 600
fuzz: build-fuzz
	mkdir -p build/fuzz/fuzz-corpus
	build/fuzz/bin/orvane_fuzz -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
	  -artifact_prefix=build/fuzz/ build/fuzz/fuzz-corpus tests/fuzz/corpus

# Plants one small fault at a time in the module's sources, rebuilds build/mutation and runs the
# tests labelled `fast`; reports the faults no test noticed. Not part of `make test`.
# MUTATION_SEED, MUTATION_COUNT, MUTATION_FILES, MUTATION_IDS: see tests/mutation/mutate.py.
.PHONY: mutation
mutation: deps
	python3 tests/mutation/mutate.py

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf build out dist
