# A thin front over CMake. `make test` and `make run` are all a fresh machine needs.
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)
CONFIG ?= etc/tarnwick.json

.PHONY: all deps configure build test run bench clean

all: build

deps:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	@cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS) --timeout 300

run: build
	@scripts/run-service $(BUILD_DIR) $(CONFIG)

bench: build
	@scripts/run-bench $(BUILD_DIR)

clean:
	@rm -rf $(BUILD_DIR) build-*
