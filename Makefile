# The two commands of the README: `make run` and `make test`.
BUILD ?= build
ASAN_BUILD ?= build-asan
BENCH_BUILD ?= build-bench
JOBS ?= 2
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo -DREELCATCH_BENCH=OFF

.PHONY: run test build deps asan bench demo clean package check-package

deps:
	@scripts/install-deps

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j$(JOBS)

run: build
	@scripts/run-desktop $(BUILD)

test: build
	cd $(BUILD) && ctest -j$(JOBS) --output-on-failure --timeout 300

# The engine and its tests under the sanitizers (the desktop layer's tests
# run in the plain build).
$(ASAN_BUILD)/CMakeCache.txt:
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DREELCATCH_SANITIZE=ON \
	  -DREELCATCH_BENCH=OFF -DREELCATCH_DESKTOP=OFF

asan: deps $(ASAN_BUILD)/CMakeCache.txt
	cmake --build $(ASAN_BUILD) -j$(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 ctest -j$(JOBS) --output-on-failure --timeout 600

$(BENCH_BUILD)/CMakeCache.txt:
	cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release -DREELCATCH_BENCH=ON

bench: deps $(BENCH_BUILD)/CMakeCache.txt
	cmake --build $(BENCH_BUILD) -j$(JOBS)
	@bench/run $(BENCH_BUILD)

demo: build
	@scripts/demo $(BUILD)

# The Debian package reelcatch_VERSION_ARCH.deb in $(BUILD); check-package
# installs it here, uses it and removes it again.
package: build
	rm -f $(BUILD)/reelcatch_*.deb
	cd $(BUILD) && cpack -G DEB

check-package: package
	@scripts/check-package $(BUILD)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(BENCH_BUILD) build-fuzz

# libFuzzer targets built with clang in build-fuzz, each run FUZZ_SECONDS.
FUZZ_SECONDS ?= 60
.PHONY: fuzz
fuzz: deps
	@scripts/fuzz $(FUZZ_SECONDS)
