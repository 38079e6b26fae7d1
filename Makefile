# The front door. `make run` installs what is missing, builds and starts the keypad; `make test` installs
# what is missing, builds and runs the whole test suite.

BUILD_DIR ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

# Debian packages needed to build and run the program.
PACKAGES := cmake make g++ qt6-base-dev qt6-qpa-plugins fonts-dejavu-core xdg-utils
# ... and to run its tests: GoogleTest, the formatter, a virtual X server with a window manager and the
# tools that drive it, a GTK password dialog as a drop target, and the Windows cross compiler.
TEST_PACKAGES := libgtest-dev clang-format xvfb xauth openbox xdotool x11-utils zenity g++-mingw-w64-x86-64-posix

.PHONY: run test build configure deps test-deps screenshot format clean

run: build
	$(BUILD_DIR)/glyphward

test: test-deps build
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

configure: deps
	cmake -S . -B $(BUILD_DIR) $(if $(filter test,$(MAKECMDGOALS)),-DGLYPHWARD_TESTS=ON)

deps:
	@scripts/install-packages $(PACKAGES)

test-deps: deps
	@scripts/install-packages $(TEST_PACKAGES)

# Redraws the README's picture of the keypad.
screenshot: build
	@scripts/install-packages xvfb xauth openbox xdotool x11-utils imagemagick
	scripts/screenshot $(BUILD_DIR)/glyphward docs/keypad.png

format:
	clang-format -i $$(git ls-files --cached --others --exclude-standard '*.cpp' '*.h')

clean:
	rm -rf $(BUILD_DIR)
