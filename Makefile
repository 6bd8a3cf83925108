# Vorpane: build, test and run.
BUILD      ?= build
ASAN_BUILD ?= build-asan
TSAN_BUILD ?= build-tsan
FUZZ_BUILD ?= build-fuzz
WIN32_BUILD ?= build-win32
# The x86_64 Windows build the tests use where 32-bit programs cannot run.
WIN64_BUILD ?= build-win64
PACKAGES   ?= build-packages
# The Debian package make package-deb makes (a shell expression for recipes).
DEB = $(PACKAGES)/vorpane_$$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' \
	$(BUILD)/CMakeCache.txt)_$$(dpkg --print-architecture).deb
# Seconds each fuzz target runs: briefly within make test, longer in make fuzz.
FUZZ_SMOKE_SECONDS ?= 20
FUZZ_SECONDS ?= 600
JOBS       ?= 2

.PHONY: all deps deps-test build build-tests run demo screenshots test check-layers test-e2e test-core test-asan test-tsan test-fuzz fuzz fuzz-build bench windows test-windows package package-windows package-deb test-package test-debian13 clean format

all: build

# What building and running vorpane needs; and everything the tests use.
deps:
	@scripts/install-deps run

deps-test:
	@scripts/install-deps test

# vorpane alone, for make run and make demo.
$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORPANE_TESTS=OFF -DVORPANE_BENCH=OFF

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j$(JOBS)

# The same tree with the suites and the benchmark.
build-tests: deps-test
	@grep -qx 'VORPANE_TESTS:BOOL=ON' $(BUILD)/CMakeCache.txt 2>/dev/null && \
		grep -qx 'VORPANE_BENCH:BOOL=ON' $(BUILD)/CMakeCache.txt || \
		cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORPANE_TESTS=ON -DVORPANE_BENCH=ON
	cmake --build $(BUILD) -j$(JOBS)

$(ASAN_BUILD)/CMakeCache.txt:
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DVORPANE_SANITIZE=ON

test-core: build-tests
	ctest --test-dir $(BUILD) --output-on-failure -j$(JOBS)

# The core suites once more, under AddressSanitizer and UndefinedBehaviorSanitizer.
test-asan: deps-test $(ASAN_BUILD)/CMakeCache.txt
	cmake --build $(ASAN_BUILD) -j$(JOBS) --target vorpane_tests
	ctest --test-dir $(ASAN_BUILD) --output-on-failure -j$(JOBS)

$(TSAN_BUILD)/CMakeCache.txt:
	cmake -S . -B $(TSAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DVORPANE_TSAN=ON

# What runs on more than one thread, under ThreadSanitizer: the start-up's
# early pass beside the window, and the file queries spread over threads.
test-tsan: deps-test $(TSAN_BUILD)/CMakeCache.txt
	cmake --build $(TSAN_BUILD) -j$(JOBS) --target vorpane_tests
	TSAN_OPTIONS=halt_on_error=1 ctest --test-dir $(TSAN_BUILD) --output-on-failure -j$(JOBS) \
		-R '^(EarlyRefreshTest|Refresh|Compact|PosixFiles\.ManyFiles)'

$(FUZZ_BUILD)/CMakeCache.txt:
	cmake -S . -B $(FUZZ_BUILD) -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DVORPANE_FUZZ=ON -DVORPANE_TESTS=OFF

fuzz-build: deps-test $(FUZZ_BUILD)/CMakeCache.txt
	cmake --build $(FUZZ_BUILD) -j$(JOBS)

# Each libFuzzer target briefly, so that they keep building and keep passing.
test-fuzz: fuzz-build
	scripts/run-fuzzers $(FUZZ_SMOKE_SECONDS) $(FUZZ_BUILD)

fuzz: fuzz-build
	scripts/run-fuzzers $(FUZZ_SECONDS) $(FUZZ_BUILD)

# Vorpane.EXE for Windows: the 32-bit program players get, and beside it in
# the same tree the suites that test it under Wine.
$(WIN32_BUILD)/CMakeCache.txt:
	cmake -S . -B $(WIN32_BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake \
		-DCMAKE_BUILD_TYPE=Release -DVORPANE_TESTS=ON

windows: deps-test $(WIN32_BUILD)/CMakeCache.txt
	cmake --build $(WIN32_BUILD) -j$(JOBS) --target Vorpane
	scripts/check-windows-exe $(WIN32_BUILD)/Vorpane.EXE

# The core suites and the Win32 platform suite under Wine, then Vorpane.EXE
# end to end in Xvfb: the shipped i686 program where this machine runs 32-bit
# programs, else (or with VORPANE_NO_I386=1) an x86_64 build under wine64.
test-windows: windows
	scripts/test-windows $(WIN32_BUILD) $(WIN64_BUILD) $(JOBS)

# What players download, in $(PACKAGES)/: the Debian package and the Windows zip.
package: package-deb package-windows

package-deb: deps-test build
	cpack --config $(BUILD)/CPackConfig.cmake -B $(PACKAGES)
	rm -rf $(PACKAGES)/_CPack_Packages

# The Debian package checked by lintian, desktop-file-validate, appstreamcli
# and man, then installed and removed again with dpkg (that part needs root).
test-package: package-deb
	scripts/check-package $(DEB)

# The same package on Debian 13, and the sources built and the core suites
# run there, in a system made with debootstrap and kept under ~/.cache/vorpane
# (needs root; .ci/run runs it after make test).
test-debian13: package-deb
	scripts/test-debian13 $(DEB)

package-windows: windows
	cpack --config $(WIN32_BUILD)/CPackConfig.cmake -B $(PACKAGES)
	rm -rf $(PACKAGES)/_CPack_Packages

# Every #include in src/ points down the layers of docs/ARCHITECTURE.md.
check-layers: deps
	scripts/check-layers src

test: deps-test check-layers test-core test-asan test-tsan test-fuzz test-windows test-e2e test-package

# The Linux program, vorpane: on the player's own game (found through the Wine
# prefix in $WINEPREFIX, else ~/.wine), or on a demo game in a throwaway prefix
# under the build tree, made afresh each time.
run: build
	$(BUILD)/vorpane

demo: build
	WINEPREFIX="$$(scripts/make-demo $(BUILD)/demo)" $(BUILD)/vorpane

# vorpane end to end in Xvfb, driven with xdotool.
test-e2e: build-tests
	tests/e2e/run_e2e.py $(BUILD)/vorpane

# The README's pictures of the window and the about box, on the demo game.
screenshots: build-tests
	scripts/make-screenshots $(BUILD)/vorpane docs

# What the player feels, N = 10,000 and 100,000, against a C floor: launch until
# the window is mapped, the index pass, batches and view, keys until repaint,
# Compact until the list is back, peak memory (in Xvfb, through XTest and XDamage).
# Then Vorpane.EXE under Wine against a Win32 floor (i686 where 32-bit programs
# run, else x86_64); WINDOWS_BENCH=no leaves it out.
bench: build-tests
	bench/run-bench $(BUILD) $(WIN32_BUILD) $(WIN64_BUILD) $(JOBS)

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(TSAN_BUILD) $(FUZZ_BUILD) $(WIN32_BUILD) $(WIN64_BUILD) $(PACKAGES)
