# Entry points for people and CI. Each target installs what is missing (Debian packages) first.
PACKAGES := cmake ninja-build g++ pkg-config libgtest-dev libgmock-dev libbenchmark-dev valgrind \
            nlohmann-json3-dev libcli11-dev libcairo2-dev python3-fonttools libcpp-httplib-dev
# Pillow decodes the guide's pictures to compare them by their pixels (tests/guide/).
PACKAGES += python3-pil
# The browser test of orvane-host play: Debian's Chromium, and Node with npm for playwright-core
# (tests/browser/package-lock.json). Node's own packages may come from elsewhere than Debian
# with npm inside them, so npm is looked for as a command.
BROWSER_PACKAGES := chromium
# The macOS cross build: clang and libc++'s headers, lld 16 for Mach-O (14 writes wrong
# __eh_frame addresses), LLVM's lipo to join a universal bundle's slices, its objdump and nm for
# the bundle's test, and a native compiler for the property list generator.
MACOS_PACKAGES := cmake ninja-build g++ clang-14 libc++-14-dev lld-16 llvm-14
# The Windows cross build and its proof under Wine (pefile reads the DLL in the tests).
WINDOWS_PACKAGES := cmake ninja-build g++ g++-mingw-w64-x86-64-posix wine64 python3-pefile
# The fuzz target: clang with its sanitizer and libFuzzer runtimes.
FUZZ_PACKAGES := clang-14 libclang-rt-14-dev
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: deps deps-browser play deps-macos deps-windows deps-fuzz build-fuzz fuzz test demo bench macos windows \
        build-macos build-macos-universal build-windows build-dev build-release clean format \
        mutation

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

deps-browser: deps
	$(call install-missing,$(BROWSER_PACKAGES))
	@command -v npm >/dev/null || { echo "Installing: nodejs npm"; \
	  $(SUDO) apt-get update -qq && DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq nodejs npm; }

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
# bundles' checks (x86-64, and universal), the sdk/ names and the switch to the vendor's headers, the Windows module under
# Wine (compared with this build's Linux host), the end-to-end sessions under valgrind on the
# release build, the browser test of play (headless Chromium) on the release build, and a short
# seeded fuzz run. Stand-in builds only: nothing goes into dist/.
test: deps-browser build-dev build-macos build-macos-universal build-windows build-release build-fuzz
	ctest --preset dev
	ctest --preset windows
	ctest --preset release -L "valgrind|browser"
	ctest --preset fuzz

# Builds the release configuration and plays the demo session in the headless host.
demo: build-release
	build/release/bin/orvane-host run examples/demo.json --out out/demo

# The guide's pictures: every scenario in examples/guide/ played on the release build, its
# pictures written into docs/guide/ (and those no scenario makes any more removed). `make test`
# compares them with what the scenarios make; after a change meant to change them, run this.
.PHONY: docs
docs: build-release
	/usr/bin/python3 tests/guide/guide_pictures.py write build/release/bin/orvane-host

# The session in a browser, from the demo before its bake (three linked masks, "On" set): prints a
# URL to open; Ctrl-C (or "End session") ends it.
play: build-release
	build/release/bin/orvane-host play examples/play.json

# Runs the benchmarks on the release build and prints their figures, in the order of the table in
# bench/README.md (then the hour-long bake saved and reopened); inputs a second of the fuzz target needs the fuzz build (make build-fuzz) and
# is skipped without it; the last, play's mouse-move-to-picture latency, drives the page in
# headless Chromium.
bench: deps-browser build-release
	build/release/bin/orvane_bench --benchmark_counters_tabular=true
	python3 bench/project_roundtrip.py build/release/bin/orvane-host build/release/roundtrip
	@if [ -x build/fuzz/bin/orvane_fuzz ]; then \
	  rm -rf build/fuzz/bench-corpus && mkdir -p build/fuzz/bench-corpus && \
	  build/fuzz/bin/orvane_fuzz -seed=1 -max_total_time=60 -print_final_stats=1 \
	    build/fuzz/bench-corpus tests/fuzz/corpus 2>&1 | grep -E "average_exec_per_sec|DONE"; \
	else echo "fuzz target: not built (make build-fuzz), no figure"; fi
	npm ci --ignore-scripts --no-audit --no-fund --prefix build/release/browser
	node bench/play_latency.mjs build/release/bin/orvane-host build/release/browser

# make windows / make macos: without ORVANE_SDK_DIR, the stand-in cross builds (sdk/), whose modules
# stay in build/ and are for orvane-host only; with ORVANE_SDK_DIR=<folder of the vendor's SDK>,
# the application builds, installed into dist/windows/ or dist/macos/ and nowhere else.
# make macos builds for the CPUs CMAKE_OSX_ARCHITECTURES names: x86_64 (the default), arm64, or
# "x86_64;arm64" for one universal bundle.
STAND_IN_NOTE = stand-in build (sdk/), for orvane-host only: never copy it into the application
CMAKE_OSX_ARCHITECTURES ?= x86_64
MACOS_ARCHS := $(strip $(CMAKE_OSX_ARCHITECTURES))
MACOS_TAG := $(subst ;,-,$(MACOS_ARCHS))
build-windows: deps-windows
	cmake --preset windows
	cmake --build --preset windows
	@echo "build/windows/bin/OrvaneTavolin.aex: $(STAND_IN_NOTE)."

# The two stand-in bundles `make test` checks, whatever CMAKE_OSX_ARCHITECTURES says.
build-macos: deps-macos
	cmake --preset macos -DCMAKE_OSX_ARCHITECTURES=x86_64
	cmake --build --preset macos
	@echo "build/macos/bin/OrvaneTavolin.plugin (x86_64): $(STAND_IN_NOTE)."

build-macos-universal: deps-macos
	cmake --preset macos-universal
	cmake --build --preset macos-universal
	@echo "build/macos-universal/bin/OrvaneTavolin.plugin (x86_64;arm64): $(STAND_IN_NOTE)."

ifeq ($(strip $(ORVANE_SDK_DIR)),)
windows: build-windows
ifeq ($(MACOS_ARCHS),x86_64)
macos: build-macos
else ifeq ($(MACOS_ARCHS),x86_64;arm64)
macos: build-macos-universal
else
macos: deps-macos
	cmake --preset macos -B build/macos-$(MACOS_TAG) -DCMAKE_OSX_ARCHITECTURES="$(MACOS_ARCHS)"
	cmake --build build/macos-$(MACOS_TAG) -j2
	@echo "build/macos-$(MACOS_TAG)/bin/OrvaneTavolin.plugin ($(MACOS_ARCHS)): $(STAND_IN_NOTE)."
endif
else
SDK_DIR := $(abspath $(ORVANE_SDK_DIR))
windows: deps-windows
	cmake --preset windows-app -DORVANE_SDK_DIR="$(SDK_DIR)"
	cmake --build --preset windows-app
	rm -rf dist/windows
	cmake --install build/windows-app
	@echo "dist/windows/OrvaneTavolin.aex: built against $(SDK_DIR), for the application."

macos: deps-macos
	cmake --preset macos-app -DORVANE_SDK_DIR="$(SDK_DIR)" -DCMAKE_OSX_ARCHITECTURES="$(MACOS_ARCHS)"
	cmake --build --preset macos-app
	rm -rf dist/macos
	cmake --install build/macos-app
	@echo "dist/macos/OrvaneTavolin.plugin ($(MACOS_ARCHS)): built against $(SDK_DIR), for the application."
	@echo "Not signed: codesign runs only on a Mac. Sign it there before the application loads it:"
	@echo "  codesign --force --sign - OrvaneTavolin.plugin   (or --sign \"Developer ID Application: ...\")"
endif

# A long fuzz run (FUZZ_SECONDS, ten minutes by default) that adds to the corpus in the repository:
# the run starts from tests/fuzz/<corpus>/ and writes what it finds into build/fuzz/, and at the end
# the corpus and the finds are merged (libFuzzer's -merge=1: the fewest, smallest inputs that keep
# every feature either had) and the merged set replaces the corpus, so the next run, and `make
# test`'s short run, start from all this one reached. Commit the corpus to keep what it found.
# FUZZ_TARGET=session drives the module through the host (the default); FUZZ_TARGET=scenario
# feeds arbitrary scenario files to the host's reader and runner; FUZZ_TARGET=project arbitrary
# project files to `open`, and saves and reopens what it accepts. FUZZ_JOBS=2 runs two fuzzing
# processes side by side (libFuzzer's fork mode: one corpus, crashes kept as in one process), one
# a core here.
FUZZ_SECONDS ?= 600
FUZZ_TARGET ?= session
FUZZ_JOBS ?= 1
fuzz_jobs := $(if $(filter-out 0 1,$(strip $(FUZZ_JOBS))),-fork=$(strip $(FUZZ_JOBS)))
# Per target: the program with its options, the prefix of what it writes into build/fuzz/, and
# the corpus in the repository.
fuzz_bin_session := orvane_fuzz
fuzz_dirs_session := build/fuzz/ tests/fuzz/corpus
fuzz_bin_scenario := orvane_scenario_fuzz -dict=tests/fuzz/scenario.dict
fuzz_dirs_scenario := build/fuzz/scenario- tests/fuzz/scenario-corpus
fuzz_bin_project := orvane_project_fuzz -dict=tests/fuzz/project.dict
fuzz_dirs_project := build/fuzz/project- tests/fuzz/project-corpus
fuzz_prefix = $(word 1,$(fuzz_dirs_$(FUZZ_TARGET)))
fuzz_corpus = $(word 2,$(fuzz_dirs_$(FUZZ_TARGET)))
fuzz: build-fuzz
	@[ -n "$(fuzz_bin_$(FUZZ_TARGET))" ] || { echo "FUZZ_TARGET is session, scenario or project"; exit 2; }
	rm -rf $(fuzz_prefix)finds $(fuzz_prefix)merged && mkdir -p $(fuzz_prefix)finds $(fuzz_prefix)merged
	@# What a run found is merged even when it stopped on a finding; the finding's status is kept.
	@status=0; build/fuzz/bin/$(fuzz_bin_$(FUZZ_TARGET)) $(fuzz_jobs) -max_total_time=$(FUZZ_SECONDS) \
	  -print_final_stats=1 -artifact_prefix=$(fuzz_prefix) $(fuzz_prefix)finds $(fuzz_corpus) || status=$$?; \
	build/fuzz/bin/$(fuzz_bin_$(FUZZ_TARGET)) -merge=1 $(fuzz_prefix)merged $(fuzz_corpus) $(fuzz_prefix)finds \
	  > $(fuzz_prefix)merge.log 2>&1 || { cat $(fuzz_prefix)merge.log; exit 1; }; \
	grep -E "^MERGE-OUTER: [0-9]+ new files" $(fuzz_prefix)merge.log; \
	if [ -z "$$(ls -A $(fuzz_prefix)merged)" ]; then echo "fuzz: the merge kept nothing; $(fuzz_corpus) left as it was"; exit 1; fi; \
	rm -f $(fuzz_corpus)/* && cp $(fuzz_prefix)merged/* $(fuzz_corpus)/ && \
	echo "$(fuzz_corpus): $$(ls $(fuzz_corpus) | wc -l) inputs, $$(du -sk $(fuzz_corpus) | cut -f1) KiB (git status shows what changed)"; \
	exit $$status

# Plants one small fault at a time in the module's sources (or MUTATION_FILES=host, the host's),
# in a private clone of HEAD (build/mutation/tree, removed afterwards; the working tree is never
# written), builds it and runs the tests labelled `fast`; reports the faults no test noticed.
# Not part of `make test`. MUTATION_SANITIZE=1 builds the mutants with ASan and UBSan.
# MUTATION_SEED, MUTATION_COUNT, MUTATION_FILES, MUTATION_IDS: see tests/mutation/mutate.py.
.PHONY: mutation
mutation: deps
	python3 tests/mutation/mutate.py

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf build out dist
