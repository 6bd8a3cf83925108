# Vorpane: build, test and run.
BUILD      ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
WIN32_BUILD ?= build-win32
WIN64_BUILD ?= build-win64
# Seconds each fuzz target runs: briefly within make test, longer in make fuzz.
FUZZ_SMOKE_SECONDS ?= 20
FUZZ_SECONDS ?= 600
JOBS       ?= 2

.PHONY: all deps build run demo screenshots test test-e2e test-core test-asan test-fuzz fuzz fuzz-build bench windows test-windows clean format

all: build

deps:
	@scripts/install-deps

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j$(JOBS)

$(ASAN_BUILD)/CMakeCache.txt:
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DVORPANE_SANITIZE=ON

test-core: build
	ctest --test-dir $(BUILD) --output-on-failure -j$(JOBS)

# The core suites once more, under AddressSanitizer and UndefinedBehaviorSanitizer.
test-asan: deps $(ASAN_BUILD)/CMakeCache.txt
	cmake --build $(ASAN_BUILD) -j$(JOBS) --target vorpane_tests
	ctest --test-dir $(ASAN_BUILD) --output-on-failure -j$(JOBS)

$(FUZZ_BUILD)/CMakeCache.txt:
	cmake -S . -B $(FUZZ_BUILD) -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DVORPANE_FUZZ=ON -DVORPANE_TESTS=OFF

fuzz-build: deps $(FUZZ_BUILD)/CMakeCache.txt
	cmake --build $(FUZZ_BUILD) -j$(JOBS)

# Each libFuzzer target briefly, so that they keep building and keep passing.
test-fuzz: fuzz-build
	scripts/run-fuzzers $(FUZZ_SMOKE_SECONDS) $(FUZZ_BUILD)

fuzz: fuzz-build
	scripts/run-fuzzers $(FUZZ_SECONDS) $(FUZZ_BUILD)

# Vorpane.EXE for Windows: the 32-bit release, and the 64-bit build the Wine
# suites run (the tests need wine64, which runs 64-bit programs only).
$(WIN32_BUILD)/CMakeCache.txt:
	cmake -S . -B $(WIN32_BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake \
		-DCMAKE_BUILD_TYPE=Release -DVORPANE_TESTS=OFF

$(WIN64_BUILD)/CMakeCache.txt:
	cmake -S . -B $(WIN64_BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
		-DCMAKE_BUILD_TYPE=RelWithDebInfo

windows: deps $(WIN32_BUILD)/CMakeCache.txt $(WIN64_BUILD)/CMakeCache.txt
	cmake --build $(WIN32_BUILD) -j$(JOBS)
	cmake --build $(WIN64_BUILD) -j$(JOBS)
	scripts/check-windows-exe $(WIN32_BUILD)/Vorpane.EXE i386

# The core suites and the Win32 platform suite under Wine, then Vorpane.EXE
# end to end in Xvfb.
test-windows: windows
	ctest --test-dir $(WIN64_BUILD) --output-on-failure -j$(JOBS)

test: test-core test-asan test-fuzz test-windows test-e2e

# The Linux program, vorpane: on the player's own game (found through the Wine
# prefix in $WINEPREFIX, else ~/.wine), or on a demo game in a throwaway prefix
# under the build tree, made afresh each time.
run: build
	$(BUILD)/vorpane

demo: build
	WINEPREFIX="$$(scripts/make-demo $(BUILD)/demo)" $(BUILD)/vorpane

# vorpane end to end in Xvfb, driven with xdotool.
test-e2e: build
	tests/e2e/run_e2e.py $(BUILD)/vorpane

# The README's pictures of the window and the about box, on the demo game.
screenshots: build
	scripts/make-screenshots $(BUILD)/vorpane docs

# Refresh and compaction against the file system's own cost, N = 10,000 and 100,000.
bench: build
	$(BUILD)/bench/vorpane_bench

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) $(WIN32_BUILD) $(WIN64_BUILD)
