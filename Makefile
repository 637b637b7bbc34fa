# Ostrel: `make run` and `make test` do all set-up on a fresh Debian machine.

RELEASE_DIR := build/release
TEST_DIR    := build/test
CLANG_DIR   := build/clang
JOBS        ?= $(shell nproc)
PACKAGES    := $(shell grep -v '^\#' .ci/packages)
EXAMPLE     ?= examples/hello.ost

.PHONY: all deps build test test-full clang floors run bench clean format

all: build

# Installs the Debian packages that are missing; does nothing when all are there.
deps:
	@missing=""; \
	for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'install ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "installing:$$missing"; \
	  SUDO=""; [ "$$(id -u)" = 0 ] || SUDO=sudo; \
	  $$SUDO apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $$SUDO apt-get install -y -qq --no-install-recommends $$missing; \
	fi

$(RELEASE_DIR)/build.ninja:
	cmake -S . -B $(RELEASE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DOSTREL_TESTS=OFF -DOSTREL_BENCH=ON

# The sanitizer build keeps line tables only (-g1): enough for file and line
# in every sanitizer report, and a quarter less compiling than full debug
# information. The Clang build only compiles, so it makes none.
$(TEST_DIR)/build.ninja:
	cmake -S . -B $(TEST_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug \
	  -DCMAKE_CXX_FLAGS_DEBUG=-g1 -DCMAKE_C_FLAGS_DEBUG=-g1 \
	  -DOSTREL_SANITIZE=ON -DOSTREL_TESTS=ON -DOSTREL_BENCH=OFF -DOSTREL_WERROR=ON

$(CLANG_DIR)/build.ninja:
	cmake -S . -B $(CLANG_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug \
	  -DCMAKE_CXX_FLAGS_DEBUG=-g0 -DCMAKE_C_FLAGS_DEBUG=-g0 \
	  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
	  -DOSTREL_TESTS=ON -DOSTREL_BENCH=ON -DOSTREL_WERROR=ON

build: deps $(RELEASE_DIR)/build.ninja
	ninja -C $(RELEASE_DIR) -j $(JOBS) ostrel

# The random tests (fuzz tests, random keys, generated scripts) run a fixed
# part of their cases in `make test`, all of them in `make test-full`; their
# kept seeds and every script of the corpus run in both.
test: deps $(TEST_DIR)/build.ninja
	ninja -C $(TEST_DIR) -j $(JOBS)
	cd $(TEST_DIR) && export ASAN_OPTIONS=detect_leaks=1 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 && \
	  ctest --output-on-failure -j $(JOBS)

test-full: deps $(TEST_DIR)/build.ninja
	ninja -C $(TEST_DIR) -j $(JOBS)
	cd $(TEST_DIR) && export ASAN_OPTIONS=detect_leaks=1 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 OSTREL_TEST_FULL=1 && \
	  ctest --output-on-failure -j $(JOBS)

# Every library and program (tests and benchmarks too) compiled by Clang,
# warnings as errors; nothing is run.
clang: deps $(CLANG_DIR)/build.ninja
	ninja -C $(CLANG_DIR) -j $(JOBS)

# Only the check that every include points down a floor (the build runs it
# too).
floors:
	cmake -P cmake/CheckFloors.cmake

# The IDE with the example in its editor on a display, else the windowless run.
run: build
	@if [ -n "$$DISPLAY" ]; then ./$(RELEASE_DIR)/app/ostrel $(EXAMPLE); \
	else ./$(RELEASE_DIR)/app/ostrel RUN=$(EXAMPLE); fi

bench: deps $(RELEASE_DIR)/build.ninja
	ninja -C $(RELEASE_DIR) -j $(JOBS) ostrel_bench
	./$(RELEASE_DIR)/bench/ostrel_bench

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
