# Quillbase: `make run` starts the utility on a demo workgroup and database; `make test` runs
# every test. Both install what is missing first.
BUILD      ?= build
ASAN_BUILD ?= build-asan
BENCH_BUILD?= build-bench
JOBS       ?= $(shell nproc)
CMAKE_GEN  := -G Ninja

.PHONY: all deps build test test-asan bench run fuzz clean

all: build

deps:
	@scripts/install-deps

$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

$(ASAN_BUILD)/build.ninja: | deps
	cmake -S . -B $(ASAN_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DQB_SANITIZE=ON

test-asan: deps $(ASAN_BUILD)/build.ninja
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS)

$(BENCH_BUILD)/build.ninja: | deps
	cmake -S . -B $(BENCH_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DQB_BUILD_TESTS=OFF -DQB_BUILD_BENCH=ON

bench: deps $(BENCH_BUILD)/build.ninja
	cmake --build $(BENCH_BUILD) -j $(JOBS)
	@for b in $(BENCH_BUILD)/bin/bench_*; do [ -x "$$b" ] && "$$b"; done; true

# The demo: builds only the utility and quill, then scripts/run-demo (HEADLESS=1: under xvfb-run).
run: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS) --target quillbase quill
	@scripts/run-demo $(BUILD) $(if $(HEADLESS),--headless)

FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60

# The SQL front end under libFuzzer (clang 14) for FUZZ_SECONDS; a finding stops it with a report.
fuzz: deps
	cmake -S fuzz -B $(FUZZ_BUILD) $(CMAKE_GEN) -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_C_COMPILER=clang-14
	cmake --build $(FUZZ_BUILD) -j $(JOBS)
	mkdir -p $(FUZZ_BUILD)/corpus
	$(FUZZ_BUILD)/sql_fuzz -max_total_time=$(FUZZ_SECONDS) -max_len=4096 $(FUZZ_BUILD)/corpus

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(BENCH_BUILD) $(FUZZ_BUILD)
