# make run: build and start the product; make test: build with sanitizers and run every test;
# make install: install both programs, the backend's user service and the desktop entry under PREFIX.
# make test-release: every test in a Release build; make fuzz: each libFuzzer harness for FUZZ_SECONDS;
# make soak: long runs that print the memory of both programs (not part of CI).
# make package: the Debian package build/package/halvex_<version>_<arch>.deb, from the same install rules.
JOBS ?= $(shell nproc)
PREFIX ?= $(HOME)/.local
RELEASE_DIR := build/release
TEST_DIR := build/asan
RELEASE_TEST_DIR := build/release-tests
FUZZ_DIR := build/fuzz
PACKAGE_DIR := build/package
FUZZ_SECONDS ?= 60
# ccache keys on paths relative to the checkout, so every clone and work tree shares one cache.
CMAKE := cmake $(if $(shell command -v ccache),-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
export CCACHE_BASEDIR := $(CURDIR)
export CCACHE_NOHASHDIR := 1

.PHONY: setup build run install package test test-release fuzz soak bench format clean

setup:
	@scripts/setup.sh

build: setup
	$(CMAKE) -S . -B $(RELEASE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DHALVEX_BUILD_TESTS=OFF
	cmake --build $(RELEASE_DIR) -j $(JOBS)

run: build
	@scripts/run.sh $(RELEASE_DIR)

install: setup
	$(CMAKE) -S . -B $(RELEASE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DHALVEX_BUILD_TESTS=OFF -DCMAKE_INSTALL_PREFIX=$(PREFIX)
	cmake --build $(RELEASE_DIR) -j $(JOBS)
	cmake --install $(RELEASE_DIR)
	@scripts/install-service.sh $(PREFIX)

# Its own Release build for /usr; with ccache it reuses the objects of the other Release builds.
package: setup
	$(CMAKE) -S . -B $(PACKAGE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DHALVEX_BUILD_TESTS=OFF \
		-DHALVEX_BUILD_BENCH=OFF -DCMAKE_INSTALL_PREFIX=/usr
	cmake --build $(PACKAGE_DIR) -j $(JOBS)
	cd $(PACKAGE_DIR) && cpack -G DEB

test: setup
	$(CMAKE) -S . -B $(TEST_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DHALVEX_SANITIZE=ON -DHALVEX_BUILD_BENCH=OFF
	cmake --build $(TEST_DIR) -j $(JOBS)
	ctest --test-dir $(TEST_DIR) --output-on-failure -j $(JOBS)

test-release: setup
	$(CMAKE) -S . -B $(RELEASE_TEST_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DHALVEX_BUILD_BENCH=OFF
	cmake --build $(RELEASE_TEST_DIR) -j $(JOBS)
	ctest --test-dir $(RELEASE_TEST_DIR) --output-on-failure -j $(JOBS)

fuzz: setup
	$(CMAKE) -S . -B $(FUZZ_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
		-DHALVEX_BUILD_FUZZ=ON -DHALVEX_BUILD_TESTS=OFF -DHALVEX_BUILD_BENCH=OFF
	cmake --build $(FUZZ_DIR) -j $(JOBS) --target halvex_fuzzers
	@scripts/fuzz.sh $(FUZZ_DIR) $(FUZZ_SECONDS)

soak: setup
	$(CMAKE) -S . -B $(RELEASE_TEST_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DHALVEX_BUILD_BENCH=OFF
	cmake --build $(RELEASE_TEST_DIR) -j $(JOBS) --target halvex_soak
	$(RELEASE_TEST_DIR)/tests/soak/halvex_soak
	$(CMAKE) -S . -B $(TEST_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DHALVEX_SANITIZE=ON -DHALVEX_BUILD_BENCH=OFF
	cmake --build $(TEST_DIR) -j $(JOBS) --target halvex_soak
	ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
		$(TEST_DIR)/tests/soak/halvex_soak --sanitizer

bench: build
	@scripts/bench.sh $(RELEASE_DIR)

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h' '*.mm')

clean:
	rm -rf build
