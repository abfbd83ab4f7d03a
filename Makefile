# Entry points for people and CI. Each target installs what is missing (Debian packages) first.
PACKAGES := cmake ninja-build g++ pkg-config libgtest-dev libgmock-dev libbenchmark-dev \
            nlohmann-json3-dev libcli11-dev libcairo2-dev python3-fonttools
# The macOS cross build: clang and libc++'s headers, lld 16 for Mach-O (14 writes wrong
# __eh_frame addresses), LLVM's objdump and nm for the bundle's test, and a native compiler
# for the property list generator.
MACOS_PACKAGES := cmake ninja-build g++ clang-14 libc++-14-dev lld-16 llvm-14
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: deps deps-macos test demo macos build-dev build-release clean format

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

build-dev: deps
	cmake --preset dev
	cmake --build --preset dev

build-release: deps
	cmake --preset release
	cmake --build --preset release

# Builds the Debug + ASan/UBSan configuration and the macOS bundle, and runs every test,
# the bundle's included.
test: build-dev macos
	ctest --preset dev

# Builds the release configuration and plays the demo session in the headless host.
demo: build-release
	build/release/bin/orvane-host run examples/demo.json --out out/demo

# Cross-builds the macOS bundle into dist/macos/OrvaneTavolin.plugin.
macos: deps-macos
	cmake --preset macos
	cmake --build --preset macos
	rm -rf dist/macos
	cmake --install build/macos --prefix dist/macos

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf build out dist
