# The front door. `make run` installs what is missing, builds and starts the keypad; `make test` installs
# what is missing, builds and runs the whole test suite.

BUILD_DIR ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

# Debian packages needed to build and run the program.
PACKAGES := cmake make g++ qt6-base-dev qt6-qpa-plugins libxcb1-dev fonts-dejavu-core xdg-utils
# ... and to run its tests: GoogleTest, the formatter, a virtual X server with a window manager and the
# tools that drive it, a GTK password dialog as a drop target, the Windows cross compiler, and GNOME's
# compositor with what its remote-desktop API needs (a session bus, PipeWire, Python's GLib bindings), and the
# accessibility bus with a client to read it.
TEST_PACKAGES := libgtest-dev clang-format xvfb xauth openbox xdotool x11-utils zenity g++-mingw-w64-x86-64-posix \
	desktop-file-utils appstream lintian dpkg-dev libx11-dev \
	mutter xwayland pipewire pipewire-bin wireplumber dbus-daemon dbus-bin python3-gi gir1.2-glib-2.0 \
	at-spi2-core python3-pyatspi gir1.2-atspi-2.0 gir1.2-gtk-4.0

.PHONY: run test check-sanitize build configure deps test-deps package screenshot format clean windows

run: build
	$(BUILD_DIR)/glyphward

test: test-deps build
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

# The whole suite again, built with AddressSanitizer and UndefinedBehaviorSanitizer (without the tests of the
# hardening that such a build leaves out, label no-sanitize), then a short run of each fuzz target (clang's
# libFuzzer). Leaks in libraries we do not build are suppressed in tests/lsan.supp.
SANITIZE_DIR ?= build-sanitize
FUZZ_DIR ?= build-fuzz
FUZZ_SECONDS ?= 30

check-sanitize: test-deps
	@scripts/install-packages clang libclang-rt-14-dev
	cmake -S . -B $(SANITIZE_DIR) -DGLYPHWARD_SANITIZE=ON -DGLYPHWARD_TESTS=ON
	cmake --build $(SANITIZE_DIR) -j $(JOBS)
	LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp UBSAN_OPTIONS=print_stacktrace=1 \
		ctest --test-dir $(SANITIZE_DIR) --output-on-failure -j $(JOBS) -LE no-sanitize
	cmake -S . -B $(FUZZ_DIR) -DCMAKE_CXX_COMPILER=clang++ -DGLYPHWARD_FUZZ=ON -DGLYPHWARD_TESTS=OFF
	cmake --build $(FUZZ_DIR) -j $(JOBS) --target rtf_fuzz settings_fuzz
	scripts/fuzz-briefly $(FUZZ_DIR) $(FUZZ_SECONDS) rtf settings

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

configure: deps
	cmake -S . -B $(BUILD_DIR) $(if $(filter test,$(MAKECMDGOALS)),-DGLYPHWARD_TESTS=ON)

deps:
	@scripts/install-packages $(PACKAGES)

test-deps: deps
	@scripts/install-packages $(TEST_PACKAGES)

# The Debian package, $(BUILD_DIR)/glyphward_<version>_<architecture>.deb; dpkg-shlibdeps (dpkg-dev) finds its
# dependencies.
package: build
	@scripts/install-packages dpkg-dev
	cmake --build $(BUILD_DIR) --target package

# The portable Windows program, cross-built with MinGW-w64 against a static Qt built once from Debian's own
# Qt source into ~/.cache/glyphward (scripts/windows-qt; the first time takes about half an hour here):
# $(WINDOWS_DIR)/glyphward-<version>-win64.zip.
WINDOWS_DIR ?= build-windows
WINDOWS_PACKAGES := cmake ninja-build g++-mingw-w64-x86-64-posix dpkg-dev qt6-base-dev

windows:
	@scripts/install-packages $(WINDOWS_PACKAGES)
	qt=$$(scripts/windows-qt) && cmake -S . -B $(WINDOWS_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release \
		-DGLYPHWARD_TESTS=OFF -DCMAKE_TOOLCHAIN_FILE=$$qt/lib/cmake/Qt6/qt.toolchain.cmake \
		-DQT_CHAINLOAD_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-w64.toolchain.cmake
	cmake --build $(WINDOWS_DIR) -j $(JOBS) --target glyphward
	scripts/windows-zip $(WINDOWS_DIR) $$(sed -n 's/^project(glyphward VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)

# Redraws the README's picture of the keypad.
screenshot: build
	@scripts/install-packages xvfb xauth openbox xdotool x11-utils imagemagick
	scripts/screenshot $(BUILD_DIR)/glyphward docs/keypad.png

format:
	clang-format -i $$(git ls-files --cached --others --exclude-standard '*.cpp' '*.h' '*.c')

clean:
	rm -rf $(BUILD_DIR)
