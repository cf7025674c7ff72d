# A thin front over CMake. `make test` and `make run` are all a fresh machine needs.
BUILD_DIR ?= build
MAKEFLAGS += --no-print-directory
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)
CONFIG ?= etc/tarnwick.json
# WERROR=ON turns every compiler warning into an error (CI sets it).
WERROR ?= OFF
CMAKE_FLAGS = -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DTARNWICK_WERROR=$(WERROR)

.PHONY: all deps configure build test test-sanitize fuzz run bench package format format-check clean

all: build

deps:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD_DIR) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	@cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS) --timeout 300

# The whole suite built with AddressSanitizer and UndefinedBehaviorSanitizer.
test-sanitize: deps
	@cmake -S . -B build-sanitize $(CMAKE_FLAGS) -DTARNWICK_SANITIZE=ON -DTARNWICK_BUILD_BENCH=OFF >/dev/null
	@cmake --build build-sanitize -j $(JOBS)
	@cd build-sanitize && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
		ctest --output-on-failure -j $(JOBS) --timeout 300

# libFuzzer targets (clang-14, ASan, UBSan), each run for FUZZ_SECONDS.
FUZZ_SECONDS ?= 60
fuzz: deps
	@scripts/install-deps --fuzz
	@CC=clang-14 CXX=clang++-14 cmake -S . -B build-fuzz $(CMAKE_FLAGS) -DTARNWICK_FUZZ=ON \
		-DTARNWICK_BUILD_TESTS=OFF -DTARNWICK_BUILD_BENCH=OFF >/dev/null
	@cmake --build build-fuzz -j $(JOBS)
	@scripts/run-fuzz build-fuzz $(FUZZ_SECONDS)

run: build
	@scripts/run-service $(BUILD_DIR) $(CONFIG)

bench: build
	@scripts/run-bench $(BUILD_DIR)

# The Debian package of the service and its tools (no tests needed), then its check.
package: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS) --target tarnwick_programs
	@cd $(BUILD_DIR) && cpack --config CPackConfig.cmake >/dev/null
	@scripts/check-package $(BUILD_DIR)

# The C++ sources in the form .clang-format gives; format-check only reports
# the files that differ, and fails for them.
CLANG_FORMAT ?= clang-format-14
SOURCES = git ls-files -z '*.cpp' '*.hpp' '*.h'
format:
	@scripts/install-deps --format
	@$(SOURCES) | xargs -0 $(CLANG_FORMAT) -i

format-check:
	@scripts/install-deps --format
	@$(SOURCES) | xargs -0 $(CLANG_FORMAT) --dry-run --Werror

clean:
	@rm -rf $(BUILD_DIR) build-*
