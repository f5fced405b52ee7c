# make build: build/Ludora.exe   make test: every test under Wine   make run: the program with the local service
BUILD ?= build
JOBS ?= 2

.PHONY: all deps configure build test run bench clean

all: build

deps:
	@tools/install-deps.sh

$(BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release

configure: deps $(BUILD)/CMakeCache.txt

build: configure
	cmake --build $(BUILD) -j$(JOBS)

test: build
	tools/run-tests.sh $(BUILD)

run: build
	tools/run.sh $(BUILD)

bench: build
	tools/run-bench.sh $(BUILD)

clean:
	rm -rf $(BUILD)
