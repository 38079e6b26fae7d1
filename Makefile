# The front door: `make test` installs what is missing, builds, and runs the whole test suite.

BUILD_DIR ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

# Debian packages needed to build the program and run its tests.
PACKAGES := cmake make g++ libgtest-dev clang-format

.PHONY: test build configure deps format clean

test: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

configure: deps
	cmake -S . -B $(BUILD_DIR)

deps:
	@scripts/install-packages $(PACKAGES)

format:
	clang-format -i $$(git ls-files --cached --others --exclude-standard '*.cpp' '*.h')

clean:
	rm -rf $(BUILD_DIR)
