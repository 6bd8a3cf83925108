# Vorpane: build, test and run.
BUILD      ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
# Seconds each fuzz target runs: briefly within make test, longer in make fuzz.
FUZZ_SMOKE_SECONDS ?= 20
FUZZ_SECONDS ?= 600
JOBS       ?= 2

.PHONY: all deps build test test-core test-asan test-fuzz fuzz fuzz-build bench clean format

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

test: test-core test-asan test-fuzz

# Refresh and compaction against the file system's own cost, N = 10,000 and 100,000.
bench: build
	$(BUILD)/bench/vorpane_bench

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
