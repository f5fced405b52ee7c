# make build: build/Ludora.exe   make test: every test under Wine   make run: the program with the local service
# make installer: build/LudoraSetup.exe
# make check-clang: every source, the tests included, compiled by clang with warnings as errors
BUILD ?= build
CLANG_BUILD ?= build-clang
JOBS ?= 2

.PHONY: all deps configure build installer test run bench check-clang clean

all: build

deps:
	@tools/install-deps.sh

$(BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release

configure: deps $(BUILD)/CMakeCache.txt

build: configure
	cmake --build $(BUILD) -j$(JOBS)

installer: configure
	cmake --build $(BUILD) --target installer -j$(JOBS)

test: build
	tools/run-tests.sh $(BUILD)

run: build
	tools/run.sh $(BUILD)

bench: build
	tools/run-bench.sh $(BUILD)

$(CLANG_BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(CLANG_BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/clang-i686-mingw.cmake -DCMAKE_BUILD_TYPE=Release \
	  -DLUDORA_WARNINGS_AS_ERRORS=ON

check-clang: $(CLANG_BUILD)/CMakeCache.txt
	cmake --build $(CLANG_BUILD) -j$(JOBS)

clean:
	rm -rf $(BUILD) $(CLANG_BUILD)
