# The two set-up commands: `make run` and `make test`. Both install what is missing first.
JOBS ?= 2
BUILD_DIR ?= build
TEST_DIR ?= build-test
CORE_DIR ?= build-core
BENCH_DIR ?= build-bench
PACKAGE_DIR ?= build-package
# The working folder `make run` starts the program in: its Profiles and Reports land there.
RUN_DIR ?= $(CURDIR)/$(BUILD_DIR)/workdir
# Where `make demo` writes its profile and reports.
DEMO_DIR ?= $(CURDIR)/$(BUILD_DIR)/demo

.PHONY: all deps build run test test-core bench format clean demo package fuzz

all: build

deps:
	scripts/install-deps

build: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSITEGAUGE_BUILD_GUI=ON \
		-DSITEGAUGE_BUILD_TESTS=OFF
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	mkdir -p "$(RUN_DIR)"
	cd "$(RUN_DIR)" && "$(CURDIR)/$(BUILD_DIR)/src/ui/sitegauge"

# Every analysis on the two demo sites, served with the search engines on loopback ports: no
# internet needed. Prints the path of each report.
demo: build
	"$(CURDIR)/$(BUILD_DIR)/src/cli/sitegauge-cli" demo --workdir "$(DEMO_DIR)"

# A Debian package of a Release build (build-package/sitegauge_*.deb); its Depends are
# computed from the libraries the programs link.
package:
	scripts/install-deps --package
	cmake -S . -B $(PACKAGE_DIR) -DCMAKE_BUILD_TYPE=Release -DSITEGAUGE_BUILD_GUI=ON \
		-DSITEGAUGE_BUILD_TESTS=OFF
	cmake --build $(PACKAGE_DIR) -j $(JOBS)
	cd $(PACKAGE_DIR) && cpack -G DEB

# The whole suite, the dialogs included (on Qt's offscreen platform), under AddressSanitizer and
# UndefinedBehaviorSanitizer; then the core alone, built without Qt.
test:
	scripts/install-deps --test
	cmake -S . -B $(TEST_DIR) -DCMAKE_BUILD_TYPE=Debug -DSITEGAUGE_SANITIZE=ON -DSITEGAUGE_BUILD_GUI=ON
	cmake --build $(TEST_DIR) -j $(JOBS)
	cd $(TEST_DIR) && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 \
		UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS) --timeout 120
	$(MAKE) test-core

# The core and the CLI with the GUI off: proves that nothing outside src/ui needs Qt.
test-core: deps
	cmake -S . -B $(CORE_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSITEGAUGE_BUILD_GUI=OFF \
		-DSITEGAUGE_BUILD_TESTS=OFF
	cmake --build $(CORE_DIR) -j $(JOBS)

# The libFuzzer targets, built with clang in $(FUZZ_DIR), each run for FUZZ_SECONDS over a copy
# of its corpus; FUZZ_MERGE=1 merges what they found into tests/fuzz/corpus.
FUZZ_DIR ?= build-fuzz
FUZZ_SECONDS ?= 60
fuzz:
	scripts/install-deps --fuzz
	FUZZ_BUILD=$(abspath $(FUZZ_DIR)) FUZZ_SECONDS=$(FUZZ_SECONDS) JOBS=$(JOBS) tests/fuzz/run-fuzzers.sh

bench: deps
	cmake -S . -B $(BENCH_DIR) -DCMAKE_BUILD_TYPE=Release -DSITEGAUGE_BUILD_GUI=OFF -DSITEGAUGE_BUILD_TESTS=OFF \
		-DSITEGAUGE_BUILD_BENCH=ON
	cmake --build $(BENCH_DIR) -j $(JOBS)
	$(BENCH_DIR)/bench/sitegauge_bench

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD_DIR) $(TEST_DIR) $(CORE_DIR) $(BENCH_DIR) $(PACKAGE_DIR)
