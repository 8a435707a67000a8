# Quillbase: `make run` starts the utility on a demo workgroup and database; `make test` runs
# every test. Both install what is missing first.
BUILD      ?= build
ASAN_BUILD ?= build-asan
BENCH_BUILD?= build-bench
JOBS       ?= $(shell nproc)
CMAKE_GEN  := -G Ninja

.PHONY: all deps build test test-long test-asan bench run fuzz clean

all: build

deps:
	@scripts/install-deps

$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# The tests that try every point where a long run can fail (writes failed in turn, ...).
test-long: build
	QB_LONG_TESTS=1 ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS) -R 'WriteFailure'

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
FUZZ_TARGETS := sql_fuzz format_fuzz connect_fuzz cli_fuzz workgroup_fuzz form_fuzz

# Every reader of outside input under libFuzzer (clang 14, with ASan and UBSan) for FUZZ_SECONDS
# each, niced; a finding stops the run with a report and the input in $(FUZZ_BUILD)/findings.
# Seeds come from fuzz/corpus/<name> (when there) and the dictionary from fuzz/<name>.dict; what
# a run learns stays in $(FUZZ_BUILD)/corpus/<name>.
fuzz: deps
	cmake -S fuzz -B $(FUZZ_BUILD) $(CMAKE_GEN) -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_C_COMPILER=clang-14
	cmake --build $(FUZZ_BUILD) -j $(JOBS)
	@mkdir -p $(FUZZ_BUILD)/findings
	@set -e; for t in $(FUZZ_TARGETS); do \
	  n=$${t%_fuzz}; mkdir -p $(FUZZ_BUILD)/corpus/$$n; \
	  seeds=; [ -d fuzz/corpus/$$n ] && seeds=fuzz/corpus/$$n; \
	  dict=; [ -f fuzz/$$n.dict ] && dict=-dict=fuzz/$$n.dict; \
	  echo "== $$t for $(FUZZ_SECONDS) s"; \
	  nice -n 19 $(FUZZ_BUILD)/$$t -max_total_time=$(FUZZ_SECONDS) -max_len=4096 -timeout=25 \
	    -rss_limit_mb=2560 -print_final_stats=1 $$dict -artifact_prefix=$(FUZZ_BUILD)/findings/$$n- \
	    $(FUZZ_BUILD)/corpus/$$n $$seeds; \
	done

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(BENCH_BUILD) $(FUZZ_BUILD)
