# Entry points for people and CI. Each target installs what is missing (Debian packages) first.
PACKAGES := cmake ninja-build g++ pkg-config libgtest-dev libgmock-dev libbenchmark-dev \
            nlohmann-json3-dev libcli11-dev libcairo2-dev
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: deps test demo build-dev build-release clean format

deps:
	@missing=""; for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $(SUDO) apt-get update -qq && DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq $$missing; \
	fi

build-dev: deps
	cmake --preset dev
	cmake --build --preset dev

build-release: deps
	cmake --preset release
	cmake --build --preset release

# Builds the Debug + ASan/UBSan configuration and runs every test.
test: build-dev
	ctest --preset dev

# Builds the release configuration and plays the demo session in the headless host.
demo: build-release
	build/release/bin/orvane-host run examples/demo.json --out out/demo

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf build out
